// export.h — symbol visibility of the platform layer.
#ifndef KVPLATFORM_EXPORT_H
#define KVPLATFORM_EXPORT_H

// Everything is built hidden; what carries KVP_EXPORT is part of the
// interface of libkvtm.so, into which the platform archive is linked.
#define KVP_EXPORT __attribute__((visibility("default")))

#endif  // KVPLATFORM_EXPORT_H
