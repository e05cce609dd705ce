#include "heaptrim.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kestrel {

HeapTrimmer::HeapTrimmer(QObject* parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, [] { trim(); });
}

bool HeapTrimmer::trim()
{
#if defined(__GLIBC__)
    malloc_trim(0);
    return true;
#else
    return false;
#endif
}

} // namespace kestrel
