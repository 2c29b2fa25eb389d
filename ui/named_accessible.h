// A name for a control that screen readers announce, where the control has no label to
// take one from: an answer to its WM_GETOBJECT for its client object.
#pragma once

#include <windows.h>

// The system's own accessible object for the control, named `name` (which must outlive
// it), as LresultFromObject hands it over; 0 when it cannot be made, which leaves the
// control to answer as it always did.
LRESULT NamedAccessibleObject(HWND control, WPARAM flags, const wchar_t* name) noexcept;
