#include "phonebook/download.h"

#include <optional>

#include "core/program.h"

namespace bsms {

namespace {

constexpr std::string_view kListingTag = "+CPBR: ";

// The quoted field that starts at or after `from` in one line; `from` moves behind it.
std::optional<std::string_view> NextQuoted(std::string_view line, std::size_t& from) {
    const std::size_t open = line.find('"', from);
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    from = close + 1;
    return line.substr(open + 1, close - open - 1);
}

void ClearBuffer(Program& p) {
    (*p.Form1)["Text1"].setText("");
}

}  // namespace

std::string PickerEntry(std::string_view number, std::string_view text) {
    std::string entry;
    if (!text.empty()) {
        entry = text;
        entry += ' ';
    }
    entry += '(';
    entry += number;
    entry += ')';
    return entry;
}

std::vector<std::string> ParseListing(std::string_view reply) {
    std::vector<std::string> entries;
    for (std::size_t at = reply.find(kListingTag); at != std::string_view::npos;
         at = reply.find(kListingTag, at)) {
        at += kListingTag.size();
        const std::size_t end = reply.find_first_of("\r\n", at);
        const std::string_view line =
            reply.substr(at, end == std::string_view::npos ? end : end - at);
        std::size_t pos = 0;
        const auto number = NextQuoted(line, pos);
        const auto text = number ? NextQuoted(line, pos) : std::nullopt;
        // An entry without a number could never be chosen as a recipient.
        if (text && !number->empty()) entries.push_back(PickerEntry(*number, *text));
    }
    return entries;
}

bool EndsWithOkLine(std::string_view reply) {
    if (reply.size() < 4 || reply.substr(reply.size() - 4, 2) != "OK") return false;
    if (reply.size() == 4) return true;
    const char before = reply[reply.size() - 5];
    return before == '\r' || before == '\n';
}

void Download_Phonebook(Program& p) {
    p.EndDialogues();
    Control& picker = (*p.Form1)["Combo2"];
    picker.clearItems();
    picker.setEnabled(true);
    picker.setWindowBackground(true);
    ClearBuffer(p);
    p.st.Phonebook_Download = true;
    p.st.Phonebook_Ask_Sim = true;
    p.st.Phonebook_Ask_Me = false;
    p.WriteCommand("AT+CPBS=SM");
    p.host.showModal(*p.Form3);
}

void Phonebook_Reply_Handler(Program& p, const std::string& reply) {
    // The rest of a listing is still on its way; the dispatcher hands the buffer on again.
    if (!EndsWithOkLine(reply)) return;
    DialogueState& st = p.st;
    if (st.Phonebook_Ask_Sim) {
        ClearBuffer(p);
        p.WriteCommand("AT+CPBR=1," + std::to_string(st.Sim_Phonebook_Size));
        st.Phonebook_Ask_Sim = false;
        return;
    }
    if (st.Phonebook_Ask_Me) {
        ClearBuffer(p);
        p.WriteCommand("AT+CPBR=1," + std::to_string(st.Phone_Phonebook_Size));
        st.Phonebook_Ask_Me = false;
        st.Phonebook_Reading_Me = true;
        return;
    }
    if (st.Phonebook_Download) {
        if (st.Phonebook_Reading_Me) {
            st.Phonebook_Download = false;
            st.Phonebook_Reading_Me = false;
            if (p.Form3) p.Form3->unload();
            p.host.setBusyPointer(false);
        }
        if (st.Phonebook_Download) st.Phonebook_Reading_Sim = true;
    }
    (*p.Form1)["Combo2"].addItems(ParseListing(reply));
    if (st.Phonebook_Reading_Sim) {
        ClearBuffer(p);
        p.WriteCommand("AT+CPBS=ME");
        st.Phonebook_Reading_Sim = false;
        st.Phonebook_Ask_Me = true;
    }
}

}  // namespace bsms
