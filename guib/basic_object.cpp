// The reference count shared by the toolkit's resources (bitmaps, fonts, stores): objects are
// created holding one reference and destroy themselves when the last one is released.
#include "guib/guib.h"

c_GUIB_BasicObject::~c_GUIB_BasicObject()
{
    // An object destroyed while references remain was deleted behind its owners' backs.
    if (m_refCount != 0)
        SYS_Trace(SYS_TAG_GUIB, 0, "c_GUIB_BasicObject error: Reference count is not 0!");
}

uint32_t c_GUIB_BasicObject::AddRef()
{
    return ++m_refCount;
}

uint32_t c_GUIB_BasicObject::Release()
{
    uint32_t count = --m_refCount;
    if (count == 0)
        delete this;
    return count;
}
