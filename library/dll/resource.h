// The library's string table ids, shared by tessarim.rc and the load-time
// routine.
#pragma once

#define IDS_NEEDS_HOST       29
#define IDS_NEEDS_NEWER_HOST 30
