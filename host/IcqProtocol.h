// What the ICQ protocol module keeps and reports, as far as the plug-in reads
// it. The settings live in the account's own module ("ICQ", "ICQ_1", ...),
// each a WORD unless stated.
#pragma once

#include <cstdint>

// Per contact: the apparent mode the module last stored, 0, ID_STATUS_OFFLINE
// or ID_STATUS_ONLINE; absent reads as 0. "/SetApparentMode" with the stored
// mode does nothing at all.
constexpr const char* kIcqApparentMode = "ApparentMode";
// Per contact: the item id of its entry on the server's visible ("permit")
// or invisible ("deny") list; 0 or absent when it has none there.
constexpr const char* kIcqVisibleItemId = "SrvPermitId";
constexpr const char* kIcqInvisibleItemId = "SrvDenyId";
// A BYTE on contact 0: 0 turns the server-side contact list off; absent is on.
constexpr const char* kIcqUseServerList = "UseServerCList";

// The statuses a status ack reports: 40071 offline, 1 to 10000 connecting
// (1 plus the retry number), 40072 to 40081 logged in (online, away,
// invisible and the rest). Only logged in or not matters here.
constexpr intptr_t kFirstLoggedInStatus = 40072;
constexpr intptr_t kLastLoggedInStatus = 40081;

inline bool IsLoggedInStatus(intptr_t status) {
    return status >= kFirstLoggedInStatus && status <= kLastLoggedInStatus;
}
