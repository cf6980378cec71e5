#include "link/indications.h"

#include <algorithm>
#include <vector>

#include "core/program.h"
#include "link/dispatcher.h"

namespace bsms {

namespace {

// The values of one "(...)" group of a test answer: "0-2", "0,2" and mixes of both. A setting
// takes one digit, so a longer number reads as 10, which offers nothing: however many digits the
// phone sends, nothing overflows.
std::vector<int> Values(std::string_view group) {
    constexpr int kBeyond = 10;
    const auto number = [&](std::size_t& i) {
        int value = -1;
        for (; i < group.size() && group[i] >= '0' && group[i] <= '9'; ++i)
            value = std::min((value < 0 ? 0 : value * 10) + (group[i] - '0'), kBeyond);
        return value;
    };
    std::vector<int> values;
    std::size_t i = 0;
    while (i < group.size()) {
        const int from = number(i);
        int to = -1;
        if (i < group.size() && group[i] == '-') to = number(++i);
        for (int v = from; from >= 0 && v <= std::max(from, to) && v < kBeyond; ++v)
            values.push_back(v);
        if (i < group.size()) ++i;  // a comma, or what the phone put there
    }
    return values;
}

bool Offers(const std::vector<std::vector<int>>& groups, std::size_t k, int value) {
    return k < groups.size() &&
           std::find(groups[k].begin(), groups[k].end(), value) != groups[k].end();
}

}  // namespace

std::string ChooseIndications(std::string_view offered) {
    const std::size_t at = offered.find("+CNMI:");
    if (at == std::string_view::npos) return {};
    offered = offered.substr(at, offered.find_first_of("\r\n", at) - at);
    std::vector<std::vector<int>> groups;
    for (std::size_t open = offered.find('('); open != std::string_view::npos;
         open = offered.find('(', open + 1)) {
        const std::size_t close = offered.find(')', open);
        if (close == std::string_view::npos) break;
        groups.push_back(Values(offered.substr(open + 1, close - open - 1)));
    }
    // Mode 2 (or 1) buffers codes while the line is busy; mt 1 announces a stored message.
    const int mode = Offers(groups, 0, 2) ? 2 : 1;
    if (!Offers(groups, 0, mode) || !Offers(groups, 1, 1)) return {};
    std::string setting = std::to_string(mode) + ",1";
    if (groups.size() > 2) setting += ",0";
    if (groups.size() > 3)
        setting += Offers(groups, 3, 2) ? ",2" : Offers(groups, 3, 1) ? ",1" : ",0";
    if (groups.size() > 4) setting += ",0";
    return setting;
}

void Ask_Indications(Program& p) {
    p.st.indications = IndicationsStep::Offered;
    p.Send(CommandLine(Owner::Indications, "AT+CNMI=?"));
}

void Indications_Reply(Program& p, const std::string& reply) {
    if (p.st.indications == IndicationsStep::Offered && !HasErrorResult(reply)) {
        const std::string setting = ChooseIndications(reply);
        if (!setting.empty()) {
            p.st.indications = IndicationsStep::Set;
            p.Send(CommandLine(Owner::Indications, "AT+CNMI=" + setting));
            return;
        }
    }
    p.st.indications = IndicationsStep::None;
}

}  // namespace bsms
