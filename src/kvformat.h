// kvformat.h — number texts: reading a number from text as the C library
// reads it, in the 32-bit arithmetic of the library's texts, and printing
// or scanning one value under a caller's format text (internal).
#ifndef KVTM_SRC_KVFORMAT_H
#define KVTM_SRC_KVFORMAT_H

#include <cstddef>
#include <cstdint>

class KvString;

// ---- Reading a number ----
//
// Every text the library reads was written by a 32-bit program, whose long
// is 32 bits: the readers compute as that program did, whatever the host.

// Zero-terminated 8-bit text as strtol reads it with base 0 (blanks and a
// sign skipped, "0x" hexadecimal, a leading 0 octal) or, with
// `plainDecimal`, as atol reads it (base 10). A value beyond the 32-bit
// range gives INT32_MIN or INT32_MAX; text without digits gives 0.
int32_t KvTextToLong(const char* text, bool plainDecimal);

// Zero-terminated 8-bit text as atof reads it.
double KvTextToDouble(const char* text);

// 16-bit units in native order up to a zero unit, each unit u taken as a
// decimal digit: value × 10 + (u − '0'), wrapping in 32 bits. Nothing but
// the digits 0 to 9 has its meaning: a sign or a blank is a digit too.
int32_t KvUnitsToLong(const char* units);

// The units before the first '.' by the same digit rule, computed as a real
// number (no wrap), plus (u − '0') / 10^k for the k-th unit u after it.
double KvUnitsToDouble(const char* units);

// ---- Text under construction ----

// 8-bit text built piece by piece, never longer than `limit` bytes. An
// append that would pass the limit is refused, and so is every later one:
// the text then stays whole up to the last piece that fitted.
class KvTextBuffer {
 public:
  // The longest 8-bit text a string holds.
  static constexpr size_t kStringLimit = 65532;

  explicit KvTextBuffer(size_t limit = kStringLimit) : limit_(limit) {}
  ~KvTextBuffer();
  KvTextBuffer(const KvTextBuffer&) = delete;
  KvTextBuffer& operator=(const KvTextBuffer&) = delete;

  // False, appending nothing, once the text would pass the limit (or
  // memory ran out).
  bool Append(const char* bytes, size_t n);
  // Room for n more bytes and a terminator at End(); false as for Append.
  // After writing there, Grow(n) takes the n bytes into the text.
  bool Reserve(size_t n);
  char* End() { return data_ + length_; }
  void Grow(size_t n);

  bool Refused() const { return refused_; }
  size_t Length() const { return length_; }
  // Zero-terminated; "" when nothing was appended.
  const char* Text() const { return data_ != nullptr ? data_ : ""; }

  // The two ends of a print, the one place where a text that could not be
  // made whole is refused whole: reported like every string overflow, and
  // never a cut text that reads as another value.
  //
  // `out` becomes the text up to its first zero byte as 8-bit text, with
  // the default 8-bit code set and language. A refused text leaves `out`
  // without text.
  void AssignTo(KvString& out) const;
  // The text is appended to `out`, converted into its code set. A refused
  // text, or one `out` has no room for, leaves `out` as it was.
  void AppendTo(KvString& out) const;

 private:
  char* data_ = nullptr;
  size_t length_ = 0;
  size_t capacity_ = 0;  // bytes at data_, terminator included
  size_t limit_;
  bool refused_ = false;
};

// A text list under construction ("1,2," or "(1v0),(2v5)"). Items are kept
// whole while the list fits in a string; the first that does not is
// reported as a string overflow and ends the list, so a long list is cut
// after its last whole value, never inside one.
class KvListText {
 public:
  KvListText();
  // False, keeping nothing of the item, once the list is full.
  bool Add(const char* item, size_t n);
  // A new string of the items in the default 8-bit code set, empty for
  // none; null when memory ran out.
  KvString* Release() const;

 private:
  KvTextBuffer text_;
};

// ---- One value under a caller's format ----
//
// A format is literal text with at most one value directive, in the syntax
// of printf and scanf. Only a directive that fits the value's kind is a
// value directive (the kinds list them); any other, and every directive
// after the first value directive, is literal text from its '%' through its
// conversion character: "%s", "%n", "%p", "%*d", "%1$d", "%ld" for a short,
// a lone "%" at the end. "%%" is a percent sign.
//
// Printing honours the flags - + blank # 0 where C defines them for the
// conversion (others are dropped), a width and a precision, each at most
// 65532; '*' widths, the ' and I flags and argument positions do not fit.
// Integers are formatted as 32-bit quantities, whatever the modifier.
// Scanning takes a width, but no flag, precision or '*'.

// What a value is, deciding the directives that fit it:
enum class KvValueKind : uint8_t {
  kByte,   // char, KvByte:  d i u o x X (none or hh), c (none)
  kShort,  // short, KvWord: d i u o x X (none or h), c (none)
  kLong,   // 32 bits (long, KvDWord, BlockId, int, unsigned, enum):
           //                d i u o x X (none or l), c (none)
  kReal,   // float, double: f F e E g G a A (none, l or L)
};

// A value printed or read. Integers are 32-bit patterns: a printed byte is
// taken unsigned, a short sign-extended; a value read is the reader's
// 32-bit result, which the caller keeps to its width.
struct KvNumber {
  uint32_t bits = 0;
  double real = 0.0;
};

// Appends `format` to `out` with its value directive replaced by `value`.
void KvPrintValue(KvTextBuffer& out, const char* format, KvValueKind kind,
                  const KvNumber& value);

// Reads `text` (`length` bytes, no terminator needed; never read past)
// under `format`: blanks in the format match any run of blanks, other
// literal characters themselves. True with *value set when the value
// directive read a value; false, *value untouched, when the text does not
// match before it or has no number there. Integers are read as a 32-bit
// strtol (d i) or strtoul (u o x X) reads them, clamping where those clamp,
// reals as strtod reads them, c takes one character, unsigned.
bool KvScanValue(const char* text, size_t length, const char* format, KvValueKind kind,
                 KvNumber* value);

// ---- A string under a caller's format ----

// The first "%s" of a format that prints a string: flags other than '-'
// dropped, width and precision clamped as above, no modifier ("%ls" is a
// wide string, never ours). Null start when the format has none.
struct KvStringDirective {
  const char* start = nullptr;  // its '%'
  const char* end = nullptr;    // just past its 's'
  bool left = false;            // the '-' flag: padding after the text
  uint32_t width = 0;
  bool hasPrecision = false;
  uint32_t precision = 0;       // the most characters shown
};
KvStringDirective KvFindStringDirective(const char* format);

// Appends the literal format text [from, to) as printf prints it: "%%" is a
// percent sign, every other directive its own characters.
void KvAppendLiteral(KvTextBuffer& out, const char* from, const char* to);

#endif  // KVTM_SRC_KVFORMAT_H
