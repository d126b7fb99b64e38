// export.h — symbol visibility of the type manager library.
#ifndef KVTM_EXPORT_H
#define KVTM_EXPORT_H

// The library is built with hidden visibility; what carries KVTM_EXPORT is
// its interface.
#define KVTM_EXPORT __attribute__((visibility("default")))

#endif  // KVTM_EXPORT_H
