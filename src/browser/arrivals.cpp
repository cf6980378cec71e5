#include "browser/arrivals.h"

#include "base/text.h"
#include "browser/form5.h"
#include "browser/sms_list.h"
#include "compose/sent_reports.h"
#include "core/program.h"

namespace bsms {

namespace {

// The memory and location of a "+CMTI:" or "+CDSI:" line; location 0 when it has none.
std::pair<std::string, int> StoredAt(std::string_view line) {
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string_view::npos ? open : line.find('"', open + 1);
    const std::string memory(close == std::string_view::npos
                                 ? std::string_view()
                                 : line.substr(open + 1, close - open - 1));
    const std::size_t comma = line.rfind(',');
    const int location = comma == std::string_view::npos ? 0 : LeadingInt16(line.substr(comma + 1));
    return {memory, location};
}

void Notice(Program& p, MsgId text, const std::string& filling) {
    std::string notice = p.texts[text];
    notice.replace(notice.find("%1"), 2, filling);
    (*p.Form1)["StatusBar1"].setPanel(kNoticePanel, notice);
}

}  // namespace

void Take_Indication(Program& p, const std::string& line, const std::string& reportLine) {
    if (line.starts_with("+CDS:")) {
        const Sms_Record report = Decode_Sms_Deliver(reportLine, (*p.Form1)["Combo2"].items());
        if (report.Kind != SmsKind::StatusReport) return;
        const std::vector<Sms_Record> list{Sms_Record{}, report};
        const std::vector<ListedMessage> paired =
            Listing(list, Sent_Parts(p),
                    {p.texts[MsgId::Part_Missing], p.texts[MsgId::Report_Delivered],
                     p.texts[MsgId::Report_Pending], p.texts[MsgId::Report_Failed],
                     p.texts[MsgId::Report_Unmatched]});
        if (!paired.empty()) Notice(p, MsgId::Report_Arrived, paired.front().record.Text);
        return;
    }
    const auto [memory, location] = StoredAt(line);
    if (location < 1) return;
    Notice(p, MsgId::New_Message_At, std::to_string(location));
    // The browser reads "MT", which begins with the SIM's locations.
    if (memory.empty() || memory == "SM" || memory == "MT") Browser_New_Message(p, location);
}

}  // namespace bsms
