// kvi18n.h — the language context: process-wide defaults, code sets with
// their character tables, Unicode properties, collation order tables and
// languages.
#ifndef KVPLATFORM_KVI18N_H
#define KVPLATFORM_KVI18N_H

#include <cstdint>

#include "kvplatform/export.h"

// Code set ids are stored in databases: they never change.
enum : uint8_t {
  KvCS_NATIVE = 0,    // unspecified: the native code set where text is converted
  KvCS_CP1252 = 1,    // Windows-1252, Western European
  KvCS_LATIN1 = 2,    // ISO-8859-1
  KvCS_LATIN9 = 3,    // ISO-8859-15
  KvCS_CP1250 = 4,    // Windows-1250, Central European
  KvCS_LATIN2 = 5,    // ISO-8859-2
  KvCS_UNICODE = 253, // the Basic Multilingual Plane, one 16-bit unit per character
  KvCS_ORDERS = 254,  // 16-bit units that are collation order values
};

// Collation classes. Characters of the order tables collate in class 1;
// characters beyond them (16-bit values from 512 up: Greek, Cyrillic, Han,
// '€', '’', ...) in class 20, above every character of class 1. Order text
// (code set 254, index keys) holds orders of one class, named by its
// language byte.
enum : uint8_t {
  KvCLASS_TABLES = 1,
  KvCLASS_OUTSIDE_TABLES = 20,
};

// Ids above 224 name 16-bit code sets, all others 8-bit ones.
inline bool KvCodeSetIsWide(uint8_t codeSet) { return codeSet > 224; }

// Language ids, also stored in databases.
enum : uint8_t {
  KvLANG_NEUTRAL = 1,    // English, German, French, ...
  KvLANG_SPANISH = 2,    // traditional: ch and ll are letters, ñ follows n
  KvLANG_DANISH = 3,     // and Norwegian: æ ø å after z, aa as å
  KvLANG_SWEDISH = 4,    // and Finnish: å ä ö after z
  KvLANG_PHONEBOOK = 5,  // German phone book: ä ö ü as ae oe ue
};

// The character that stands for one a code set lacks: never '?' or '*',
// which are wildcards.
enum : uint16_t {
  KvSUBSTITUTE_8 = 0x1A,
  KvSUBSTITUTE_16 = 0xFFFD,
};

// A counted run of 16-bit values: characters of a code set, or collation
// order values.
struct KvWCharList {
  int16_t count;
  const uint16_t* items;

  int16_t CountGet() const { return count; }
  // The element at `index`, 0 <= index < count.
  uint16_t ElementGet(int16_t index) const { return items[index]; }
};

// Case counterparts of one character.
struct KvUnicodeProps {
  uint16_t upper;  // simple upper-case counterpart, a code set 253 value; 0: none
  uint16_t lower;  // simple lower-case counterpart, a code set 253 value; 0: none
  // The further characters of a full upper-case mapping (ß: upper 'S',
  // more "S"), in the units of the code set that gave the properties; null
  // when there are none.
  const KvWCharList* upperMore;
};

struct KvLanguage {
  uint8_t id;
  uint16_t hasVariants;  // 1: the order tables carry records for it
  const char* name;
};

// How one character (or a contraction of characters) collates.
struct KvCollationRecord {
  // Nonzero when the character begins contractions: `successors` lists the
  // characters that may follow it, `contractionRecords` the record of the
  // contraction with each (a null entry: none).
  int16_t contractionFlag;
  const KvWCharList* successors;
  const KvCollationRecord* const* contractionRecords;
  // Nonzero when languages have their own records for the character.
  uint16_t variantFlag;
  int16_t variantCount;
  const KvLanguage* const* variantLanguages;
  const KvCollationRecord* const* variantRecords;
  uint16_t order;  // the collation order value
  // Nonzero when the character collates as several order values: the first
  // is `order`, the others follow in `expansionOrders`.
  uint16_t expansionCount;
  const KvWCharList* expansionOrders;
  const uint8_t* collationClass;  // null: the code set's class for the language

  // 0 and *record set to the contraction record of successor `index`;
  // nonzero when there is none.
  int ContractionGet(int16_t index, const KvCollationRecord** record) const;
};

// The collation records of the characters below a limit (256 for an 8-bit
// code set, 512 for code set 253).
struct KvOrderTable {
  uint16_t limit;
  const KvCollationRecord* records;
  // For each character, the 32-bit collation weight (class 1) when it is a
  // plain significant element: a letter, digit or other order above the
  // symbols, with no contraction and no expansion. 0 for every other
  // character (and for the terminator). KvPLAIN_HAS_VARIANTS marks a
  // character that languages with variants collate differently.
  const uint32_t* plainWeights;

  // The record of `ch`, or null at or above the limit.
  const KvCollationRecord* RecordGet(uint16_t ch) const {
    return ch < limit ? &records[ch] : nullptr;
  }
};

enum : uint32_t { KvPLAIN_HAS_VARIANTS = 0x80000000u };

// The tables behind a code set; opaque to callers.
struct KvCodeSetTables;

// One code set: its width, its mapping to and from Unicode, case
// properties and collation orders. Objects are process-wide and never freed.
class KVP_EXPORT KvCodeSet {
 public:
  constexpr KvCodeSet(uint8_t id, const KvCodeSetTables* tables, const KvOrderTable* orders)
      : id_(id), tables_(tables), orders_(orders) {}

  uint8_t IdGet() const { return id_; }
  // 2 for a 16-bit code set, else 1.
  uint8_t WidthGet() const { return KvCodeSetIsWide(id_) ? 2 : 1; }
  // The code set's name; null for an id the library does not know (which
  // then behaves as ISO-8859-1 or as 253, by its width).
  const char* NameGet() const;

  // The collation class of `language` in this code set: 1 for every
  // language, except order text whose language byte (bit 7 aside) says 20.
  uint8_t CollationClassGet(uint8_t language) const {
    return id_ == KvCS_ORDERS && (language & 0x7F) == KvCLASS_OUTSIDE_TABLES
               ? uint8_t{KvCLASS_OUTSIDE_TABLES}
               : uint8_t{KvCLASS_TABLES};
  }

  // The value in this code set of character `ch` of code set
  // `sourceCodeSet` (0: the native code set); the substitution character
  // when this code set lacks it.
  uint16_t MapFrom(uint16_t ch, uint8_t sourceCodeSet) const;

  // Maps `count` units of text in code set `sourceCodeSet` (0: the native
  // code set) at `source` into units of this code set at `target`; units
  // have the width of their code set's id, and 16-bit source units lie in
  // `unitFormat` (2: most significant byte first; else native order).
  // Target units are written in native order. The same mapping as MapFrom,
  // a text at a time.
  void MapText(const void* source, uint8_t sourceCodeSet, uint8_t unitFormat, void* target,
               uint32_t count) const;

  // The Unicode character of unit `unit` of this code set, and back (the
  // substitution character when absent).
  uint16_t ToUnicode(uint16_t unit) const;
  uint16_t FromUnicode(uint16_t ch) const;

  // Case counterparts of unit `ch` of this code set, or null when it has
  // none. An 8-bit code set reports a counterpart only when it holds it.
  const KvUnicodeProps* GetUnicodeProps(uint16_t ch, uint8_t language) const;

  // The collation records, or null when the code set has none.
  const KvOrderTable* OrderTableGet() const { return orders_; }

 private:
  uint8_t id_;
  const KvCodeSetTables* tables_;
  const KvOrderTable* orders_;
};

// Sets up (enter nonzero) or tears down (enter 0) the context. Set-up
// restores the defaults of a new process.
KVP_EXPORT void ___KvI18NContext(int enter);

// The defaults are process-wide. Any number of threads may read them at
// once; set them while no other thread uses the library.
class KVP_EXPORT KvLanguageContext {
 public:
  // Code set of new strings, of new 8-bit text (at most 224) and of new
  // 16-bit text (above 224).
  static uint8_t GetDefaultCodeSet();
  static uint8_t GetDefault8CodeSet();
  static uint8_t GetDefault16CodeSet();
  static uint8_t GetDefaultLanguage();
  // The compare operator used where a caller passes 0xFFFF.
  static uint16_t GetDefaultCmpOp();
  // The code set that stands in for code set 0.
  static uint8_t GetNativeCodeSet();

  // Each setter changes only its own default: a 16-bit default code set
  // leaves the default 8-bit code set of 8-bit text as it was.
  static void SetDefaultCodeSet(uint8_t codeSet);
  static void SetDefaultLanguage(uint8_t language);
  static void SetDefaultCmpOp(uint16_t op);

  // The code set object of an id; never null. 0 gives the native code set.
  static const KvCodeSet* QueryCodeSet(uint8_t codeSet);
  // The language of an id, or null for an id without an entry (which then
  // collates as the neutral language).
  static const KvLanguage* QueryLanguage(uint8_t language);
};

#endif  // KVPLATFORM_KVI18N_H
