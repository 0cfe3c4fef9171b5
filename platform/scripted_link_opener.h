#pragma once
// A link opener for tests: answers every request with a set result and records the links.

#include <string>
#include <vector>

#include "platform/link_opener.h"

namespace platform {

struct ScriptedLinkOpener : LinkOpener {
    explicit ScriptedLinkOpener(LinkResult answer = LinkResult::Opened) : result(answer) {}
    LinkResult open(const std::string& link) override {
        opened.push_back(link);
        return result;
    }
    LinkResult result;
    std::vector<std::string> opened;
};

}  // namespace platform
