// kvstring.h — the library's string value: 8-bit or 16-bit code units
// labelled with a code set and a language.
#ifndef KVTM_KVSTRING_H
#define KVTM_KVSTRING_H

#include <cstdint>

#include "kvtm/export.h"

// Text is a zero-terminated run of code units; code sets above 224 hold
// 16-bit units (in native byte order), every other code set 8-bit units.
// The buffer is owned, exactly sized (terminator included) and at most
// 65533 bytes. A string that never held text has a null buffer.
class KVTM_EXPORT KvString {
 public:
  // No text; the default code set and language.
  KvString();
  // No text; the given code set and language.
  KvString(unsigned char codeSet, unsigned char language);
  // The text up to its terminator, in the default 8-bit code set; null
  // gives no text, "" an empty text with a buffer.
  KvString(const char* text);
  KvString(const KvString& other);
  ~KvString();

  KvString& operator=(const KvString& other);
  // Takes the default 8-bit code set and the default language.
  KvString& operator=(const char* text);

  // The buffer, or a static empty text (never null; do not write to it).
  char* StrGet() const;
  // Units before the terminator.
  unsigned short Len() const;
  // 1 when there is no text.
  unsigned short IsEmpty() const;
  unsigned short operator!() const { return IsEmpty(); }

  // Buffer size in bytes, terminator included; 0 without a buffer.
  unsigned short SizeGet() const { return size_; }
  unsigned char CodeSetGet() const { return codeSet_; }
  unsigned char LanguageGet() const { return language_; }

  // Releases the buffer; every field becomes zero.
  void d_deactivate();

  static unsigned char GetDefaultCodeSet();
  static unsigned char GetDefault8CodeSet();
  static unsigned char GetDefault16CodeSet();
  static unsigned char GetDefaultLanguage();
  static unsigned short GetDefaultCmpOp();
  static void SetDefaultCodeSet(unsigned char codeSet);
  static void SetDefaultLanguage(unsigned char language);
  static void SetDefaultCmpOp(unsigned short op);

 private:
  // Replaces the text by `count` units of `units`, taken as they are.
  void AssignUnits(const char* units, uint32_t count);

  char* buffer_;
  uint16_t size_;
  uint8_t codeSet_;
  uint8_t language_;
};

#endif  // KVTM_KVSTRING_H
