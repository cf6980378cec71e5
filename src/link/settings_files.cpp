#include "link/settings_files.h"

#include <fstream>
#include <sstream>

#include "base/text.h"
#include "core/files.h"
#include "core/program.h"
#include "link/indications.h"
#include "link/port_access.h"
#include "link/reply_timer.h"
#include "link/sim_pin.h"
#include "ui/language.h"

namespace bsms {

namespace fs = std::filesystem;

namespace {

bool IsInteger(const std::string& s) {
    std::size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    if (i >= s.size()) return false;
    for (; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

// The item as a 16-bit count, or nothing when it is not a number.
bool ItemNumber(const std::string& item, long long& value) {
    if (!IsInteger(item) || item.size() > 18) return false;
    value = std::stoll(item);
    return true;
}

}  // namespace

void Read_Sent_Count(Program& p) {
    std::vector<std::string> items;
    long long n = 0;
    if (ReadFileItems(p.folder / kSentFile, items) && !items.empty() && ItemNumber(items[0], n))
        p.st.Sent_Count = ClampInt16(n);
    else
        p.st.Sent_Count = 0;
}

bool Write_Sent_Count(Program& p) {
    return ReplaceFile(p.folder / kSentFile, FileNumber(p.st.Sent_Count) + "\r\n");
}

bool Read_Settings(Program& p) {
    std::vector<std::string> items;
    if (!ReadFileItems(p.folder / kSettingsFile, items)) return false;
    auto item = [&](std::size_t i) -> const std::string* {
        return i <= items.size() ? &items[i - 1] : nullptr;
    };
    // Each step applies on its own: a bad item is skipped and the next still applies.
    auto step = [](auto&& f) {
        try {
            f();
        } catch (const std::exception&) {
        }
    };
    long long n = 0;
    if (const auto* s = item(1); s && ItemNumber(*s, n))
        step([&] { p.Comm1.setCommPort(static_cast<int>(n)); });
    if (item(5)) {
        const std::string settings = *item(2) + "," + *item(3) + "," + *item(4) + "," + *item(5);
        step([&] { p.Comm1.setSettings(settings); });
    }
    if (const auto* s = item(6); s && ItemNumber(*s, n))
        step([&] { p.Comm1.setHandshaking(static_cast<int>(n)); });
    if (const auto* s = item(7)) p.Form1->operator[]("Text2").setText(*s);
    if (const auto* s = item(8)) {
        p.st.Opt_Confirm_Send = *s == "True";
        p.Form1->menu("Mn_Conferma").setChecked(p.st.Opt_Confirm_Send);
    }
    if (const auto* s = item(9)) {
        p.st.Opt_Status_Report = *s == "True";
        p.Form1->menu("Mn_Ricevuta").setChecked(p.st.Opt_Status_Report);
    }
    if (const auto* s = item(10)) {
        p.st.Current_Language = s->empty() ? "english" : *s;
        Apply_Language(p);
    }
    auto size = [&](std::size_t i, std::int16_t& target) {
        if (const auto* s = item(i); s && ItemNumber(*s, n) && n > 0) target = ClampInt16(n);
    };
    size(11, p.st.Sim_Phonebook_Size);
    size(12, p.st.Phone_Phonebook_Size);
    size(13, p.st.Browser_Slot_Count);
    // Files written before it was offered lack it: the notification stays on.
    if (const auto* s = item(14)) {
        p.st.Opt_Notify = *s != "False";
        p.Form1->menu("Mn_Avviso").setChecked(p.st.Opt_Notify);
    }
    return true;
}

std::string Settings_Text(const Program& p) {
    std::ostringstream out;
    const auto line = [&](const std::string& s) { out << s << "\r\n"; };
    const auto flag = [](bool b) { return b ? "True" : "False"; };
    line(FileNumber(p.Comm1.commPort()));
    line(p.Comm1.settings());
    line(FileNumber(p.Comm1.handshaking()));
    line((*p.Form1)["Text2"].text());
    line(flag(p.st.Opt_Confirm_Send));
    line(flag(p.st.Opt_Status_Report));
    line(p.st.Current_Language);
    line(FileNumber(p.st.Sim_Phonebook_Size));
    line(FileNumber(p.st.Phone_Phonebook_Size));
    line(FileNumber(p.st.Browser_Slot_Count));
    line(flag(p.st.Opt_Notify));
    return out.str();
}

bool Save_Settings(Program& p) {
    if (ReplaceFile(p.folder / kSettingsFile, Settings_Text(p))) return true;
    Report_Save_Failed(p, p.folder / kSettingsFile);
    return false;
}

void Open_Port(Program& p) {
    // A device gone since the last tick took with it what was on the line.
    if (!p.Comm1.portOpen()) Line_Closed(p);
    p.EndDialogues();
    p.quotedStrings = p.listingRefused = false;  // another phone may be on the port now
    try {
        p.Comm1.setPortOpen(true);
        p.line.pump();  // what waited for the port goes first
        Check_Sim(p);
        Ask_Indications(p);
    } catch (const CommError& e) {
        std::string text = p.texts[MsgId::Port_Open_Failed];
        if (const std::string why = PortTrouble(e, p.texts); !why.empty()) text += '\r' + why;
        p.Box(text, p.texts[MsgId::Title_Port_Error], MsgIcon::Critical);
    }
}

void Close_Port(Program& p) {
    p.Comm1.setPortOpen(false);
    Line_Closed(p);
}

void Add_Sent(Program& p, long long parts) {
    Control& box = (*p.Form1)["Text6"];
    p.st.Sent_Count = ClampInt16(parts + RoundHalfEven(LeadingNumber(box.text())));
    box.setText(std::to_string(p.st.Sent_Count));
    if (!Write_Sent_Count(p)) Report_Save_Failed(p, p.folder / kSentFile);
}

void Reset_Sent_Count(Program& p) {
    const MsgResult r = p.Box(MsgId::Ask_Reset_Sent, MsgId::Title_Confirm_Reset, MsgIcon::Question,
                              MsgButtons::YesNo, 1);
    if (r != MsgResult::Yes) return;
    p.st.Sent_Count = 0;
    std::error_code ec;
    fs::remove(p.folder / kSentFile, ec);
}

void Text6_Change(Program& p) {
    p.st.Sent_Count = LeadingInt16((*p.Form1)["Text6"].text());
}

void Text6_GotFocus(Program& p) {
    Control& t = (*p.Form1)["Text6"];
    t.setSelection(0, CharCount(t.text()));
}

}  // namespace bsms
