// kvtm.h — the whole interface of the type manager library and of the
// platform layer it is built on.
#ifndef KVTM_KVTM_H
#define KVTM_KVTM_H

#include "kvplatform/kvassert.h"
#include "kvplatform/kvbase.h"
#include "kvplatform/kvclock.h"
#include "kvplatform/kvconfig.h"
#include "kvplatform/kvi18n.h"
#include "kvplatform/kvmemfile.h"
#include "kvplatform/kvmemory.h"
#include "kvtm/kvblob.h"
#include "kvtm/kvboolean.h"
#include "kvtm/kvchar.h"
#include "kvtm/kvdate.h"
#include "kvtm/kvint64.h"
#include "kvtm/kvistring.h"
#include "kvtm/kvmbs.h"
#include "kvtm/kvobjid.h"
#include "kvtm/kvodmg.h"
#include "kvtm/kvorder.h"
#include "kvtm/kvstring.h"
#include "kvtm/kvtypcmp.h"
#include "kvtm/kvtypemgr.h"
#include "kvtm/kvtypes.h"
#include "kvtm/kvtypevl.h"

#endif  // KVTM_KVTM_H
