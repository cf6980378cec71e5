#include "phonebook/download.h"

#include <optional>

#include "core/program.h"
#include "link/dispatcher.h"
#include "link/error_codes.h"
#include "phonebook/form3.h"

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

void SelectBook(Program& p, const char* book) {
    ClearBuffer(p);
    p.WriteCommand("AT+CPBS=" + p.StringParameter(book));
}

// Past the SIM's listing: what the phone keeps of its own is still to come.
bool InPhoneStep(const DialogueState& st) {
    return st.Phonebook_Ask_Me || st.Phonebook_Reading_Me;
}

// The download is over: the window closes; a failed one leaves the picker as it was before.
void EndDownload(Program& p, bool failed) {
    DialogueState& st = p.st;
    st.Phonebook_Download = st.Phonebook_Ask_Sim = st.Phonebook_Reading_Sim = false;
    st.Phonebook_Ask_Me = st.Phonebook_Reading_Me = false;
    if (failed) {
        const PhonebookWindow::Picker& before = PhonebookForm(p).pickerBefore;
        Control& picker = (*p.Form1)["Combo2"];
        picker.clearItems();
        picker.addItems(before.items);
        picker.setEnabled(before.enabled);
        picker.setWindowBackground(before.windowBackground);
    }
    p.host.setBusyPointer(false);
    if (p.Form3->shown()) p.Form3->unload();
}

// The listing of a phonebook, or the OK that ends a selection.
void TakeOkReply(Program& p, const std::string& reply) {
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
        if (st.Phonebook_Reading_Me) EndDownload(p, false);
        if (st.Phonebook_Download) st.Phonebook_Reading_Sim = true;
    }
    (*p.Form1)["Combo2"].addItems(ParseListing(reply));
    if (st.Phonebook_Reading_Sim) {
        SelectBook(p, "ME");
        st.Phonebook_Reading_Sim = false;
        st.Phonebook_Ask_Me = true;
    }
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
    PhonebookForm(p).pickerBefore = {picker.items(), picker.enabled(), picker.windowBackground};
    picker.clearItems();
    picker.setEnabled(true);
    picker.setWindowBackground(true);
    p.st.Phonebook_Download = true;
    p.st.Phonebook_Ask_Sim = true;
    p.st.Phonebook_Ask_Me = false;
    SelectBook(p, "SM");
    p.host.showModal(*p.Form3);
}

bool Phonebook_Reply_Handler(Program& p, const std::string& reply) {
    DialogueState& st = p.st;
    if (!HasErrorResult(reply)) {
        // The rest of a listing is still on its way; the dispatcher hands the buffer on again.
        if (EndsWithOkLine(reply)) TakeOkReply(p, reply);
        return false;
    }
    const bool selecting = st.Phonebook_Ask_Sim || st.Phonebook_Ask_Me;
    if (selecting && !p.quotedStrings) {
        p.quotedStrings = true;
        SelectBook(p, st.Phonebook_Ask_Sim ? "SM" : "ME");
        return true;
    }
    const auto error = ErrorCode(ExtendedErrorLine(reply));
    if (!selecting && error && error->code == kCmeNotFound) {
        TakeOkReply(p, {});
        return true;
    }
    const bool phoneStep = InPhoneStep(st);
    EndDownload(p, !phoneStep);
    return phoneStep;
}

void Phonebook_No_Answer(Program& p) {
    if (p.st.Phonebook_Download) EndDownload(p, !InPhoneStep(p.st));
}

}  // namespace bsms
