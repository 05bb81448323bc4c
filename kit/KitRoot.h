// The kit's roots of items: one per FrontPage version (frontpage/Version.h),
// and this one for every version.
#pragma once

extern const char* const g_commonFolder;
