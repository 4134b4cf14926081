#include "host/IcqAccountLookup.h"

#include <cstring>

#include "host/HostLink.h"

bool IsIcqAccountRecord(intptr_t answer) {
    if (answer == 0 || answer == kServiceNotFound) return false;
    const auto* account = reinterpret_cast<const PROTOACCOUNT*>(answer);
    if (account->cbSize < kAccountSizeWithProtoName) return false;
    return account->szProtoName && std::strcmp(account->szProtoName, "ICQ") == 0;
}

bool IcqAccountLookup::IsIcq(const char* module) {
    if (!module || !*module) return false;
    if (std::strcmp(module, "ICQ") == 0) return true;
    if (!hostHasAccounts_) return false;
    for (const Answer& answer : answers_)
        if (answer.module == module) return answer.isIcq;
    // Our own copy first: the host's text need not outlive its next call.
    Answer answer = {module, false};
    const intptr_t record =
        CallHostService(kSvcGetAccount, 0, reinterpret_cast<HostLParam>(answer.module.c_str()));
    if (record == kServiceNotFound) {
        hostHasAccounts_ = false;
        return false;
    }
    answer.isIcq = IsIcqAccountRecord(record);
    answers_.push_back(answer);
    return answer.isIcq;
}
