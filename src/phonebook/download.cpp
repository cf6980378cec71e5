#include "phonebook/download.h"

#include <optional>
#include <utility>

#include "base/text.h"
#include "core/program.h"
#include "link/dispatcher.h"
#include "link/error_codes.h"
#include "phonebook/form3.h"
#include "sms/alphabet.h"

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

// One step of the download; its answer comes to Phonebook_Reply_Handler.
void Ask(Program& p, std::string command) {
    p.Send(CommandLine(Owner::Phonebook, std::move(command)));
}

std::string AsText(std::string_view field, bool ucs2, bool number) {
    if (!ucs2) return std::string(field);
    const std::optional<std::string> text = Ucs2HexText(field);
    if (!text || text->empty()) return std::string(field);
    if (number && text->find_first_not_of("+0123456789*#pPwW,") != std::string::npos)
        return std::string(field);
    return *text;
}

// The quoted field of a "+CSCS:" line: the phone's character set.
std::string CurrentCharset(std::string_view reply) {
    const std::size_t at = reply.find("+CSCS:");
    if (at == std::string_view::npos) return {};
    std::string_view line = reply.substr(at, reply.find_first_of("\r\n", at) - at);
    std::size_t from = 0;
    const auto field = NextQuoted(line, from);
    return field ? std::string(*field) : std::string();
}

void SelectBook(Program& p, const char* book) {
    Ask(p, "AT+CPBS=" + p.StringParameter(book));
}

// Past the SIM's listing: what the phone keeps of its own is still to come.
bool InPhoneStep(const DialogueState& st) {
    return st.Phonebook_Ask_Me || st.Phonebook_Reading_Me;
}

// A download cut short gives the phone its own character set back in the background, so that no
// later dialogue reads its answers in UCS2; one cut by the port closing does so once it opens
// again.
void RestoreCharset(Program& p) {
    using Step = PhonebookWindow::CharsetStep;
    const PhonebookWindow& w = PhonebookForm(p);
    const bool changed =
        w.charsetStep == Step::Select || (w.ucs2 && w.charsetStep != Step::Restore);
    if (!changed || w.charsetBefore.empty() || w.charsetBefore == "UCS2") return;
    Command restore = CommandLine(Owner::PhonebookRestore, "AT+CSCS=\"" + w.charsetBefore + "\"");
    restore.emptiesBox = false;
    restore.outlivesPort = true;
    p.Send(std::move(restore));
}

// The download is over: the window closes; a failed one leaves the picker as it was before.
void EndDownload(Program& p, bool failed) {
    DialogueState& st = p.st;
    RestoreCharset(p);
    p.line.drop([](Owner o) { return o == Owner::Phonebook; });
    st.Phonebook_Download = st.Phonebook_Ask_Sim = st.Phonebook_Reading_Sim = false;
    st.Phonebook_Ask_Me = st.Phonebook_Reading_Me = false;
    PhonebookWindow& w = PhonebookForm(p);
    w.charsetStep = PhonebookWindow::CharsetStep::None;
    w.ucs2 = false;
    if (failed) {
        const PhonebookWindow::Picker& before = w.pickerBefore;
        Control& picker = (*p.Form1)["Combo2"];
        picker.clearItems();
        picker.addItems(before.items);
        picker.setEnabled(before.enabled);
        picker.setWindowBackground(before.windowBackground);
    }
    p.host.setBusyPointer(false);
    if (p.Form3->shown()) p.Form3->unload();
}

// Both phonebooks read: the phone gets its own character set back first, the download ending with
// that answer, so that no later dialogue takes it for its own.
void FinishDownload(Program& p) {
    PhonebookWindow& w = PhonebookForm(p);
    if (!w.ucs2 || w.charsetBefore.empty() || w.charsetBefore == "UCS2") {
        EndDownload(p, false);
        return;
    }
    p.st.Phonebook_Ask_Me = p.st.Phonebook_Reading_Me = false;
    w.charsetStep = PhonebookWindow::CharsetStep::Restore;
    Ask(p, "AT+CSCS=\"" + w.charsetBefore + "\"");
}

// The listing of a phonebook, or the OK that ends a selection.
void TakeOkReply(Program& p, const std::string& reply) {
    DialogueState& st = p.st;
    if (st.Phonebook_Ask_Sim) {
        Ask(p, "AT+CPBR=1," + std::to_string(st.Sim_Phonebook_Size));
        st.Phonebook_Ask_Sim = false;
        return;
    }
    if (st.Phonebook_Ask_Me) {
        Ask(p, "AT+CPBR=1," + std::to_string(st.Phone_Phonebook_Size));
        st.Phonebook_Ask_Me = false;
        st.Phonebook_Reading_Me = true;
        return;
    }
    PhonebookWindow& w = PhonebookForm(p);
    const std::vector<BookEntry> read =
        ParseEntries(reply, st.Phonebook_Reading_Me ? "ME" : "SM", w.ucs2);
    std::vector<std::string> picker;
    picker.reserve(read.size());
    for (const BookEntry& e : read)
        picker.push_back(PickerEntry(e.number, e.name));
    (*p.Form1)["Combo2"].addItems(picker);
    w.books.insert(w.books.end(), read.begin(), read.end());
    w.booksInUcs2 = w.ucs2;
    w.booksCharset = w.charsetBefore;
    if (st.Phonebook_Reading_Me) {
        FinishDownload(p);
        return;
    }
    // The SIM's listing: the phone's own memory next.
    SelectBook(p, "ME");
    st.Phonebook_Ask_Me = true;
}

// Before the listing: the character sets the phone offers, the one it uses, UCS2 chosen. Any
// refusal here only means the names are read as they come.
void TakeCharsetReply(Program& p, const std::string& reply) {
    using Step = PhonebookWindow::CharsetStep;
    PhonebookWindow& w = PhonebookForm(p);
    if (w.charsetStep == Step::Restore) {
        EndDownload(p, false);
        return;
    }
    const bool ok = !HasErrorResult(reply);
    if (ok && w.charsetStep == Step::Offered && reply.find("\"UCS2\"") != std::string::npos) {
        w.charsetStep = Step::Current;
        Ask(p, "AT+CSCS?");
        return;
    }
    if (ok && w.charsetStep == Step::Current) {
        w.charsetBefore = CurrentCharset(reply);
        w.ucs2 = w.charsetBefore == "UCS2";
        if (!w.ucs2 && !w.charsetBefore.empty()) {
            w.charsetStep = Step::Select;
            Ask(p, "AT+CSCS=\"UCS2\"");
            return;
        }
    }
    if (w.charsetStep == Step::Select) w.ucs2 = ok;
    w.charsetStep = Step::None;
    SelectBook(p, "SM");
}

}  // namespace

std::optional<std::string> Ucs2HexText(std::string_view hex) {
    if (hex.size() % 4 != 0 || hex.find_first_not_of("0123456789ABCDEFabcdef") != hex.npos)
        return std::nullopt;
    std::u32string chars;
    for (std::size_t i = 0; i < hex.size(); i += 4) {
        const char32_t unit = static_cast<char32_t>(Hex_To_Byte(hex.substr(i, 2)) << 8 |
                                                    Hex_To_Byte(hex.substr(i + 2, 2)));
        if (unit >= 0xDC00 && unit <= 0xDFFF && !chars.empty() && chars.back() >= 0xD800 &&
            chars.back() <= 0xDBFF) {
            chars.back() = 0x10000 + ((chars.back() - 0xD800) << 10) + (unit - 0xDC00);
        } else {
            chars.push_back(unit);
        }
    }
    for (char32_t& c : chars)
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;  // half a pair
    return U32ToUtf8(chars);
}

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

std::vector<BookEntry> ParseEntries(std::string_view reply, const std::string& book, bool ucs2) {
    std::vector<BookEntry> entries;
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
        if (!text || number->empty()) continue;
        const std::size_t digits = line.find_first_not_of("0123456789");
        const int location = digits == 0 ? 0 : LeadingInt16(line.substr(0, digits));
        entries.push_back(
            {book, location, AsText(*number, ucs2, true), AsText(*text, ucs2, false)});
    }
    return entries;
}

std::vector<std::string> ParseListing(std::string_view reply, bool ucs2) {
    std::vector<std::string> entries;
    for (const BookEntry& e : ParseEntries(reply, {}, ucs2))
        entries.push_back(PickerEntry(e.number, e.name));
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
    PhonebookForm(p).books.clear();
    picker.clearItems();
    picker.setEnabled(true);
    picker.setWindowBackground(true);
    p.st.Phonebook_Download = true;
    p.st.Phonebook_Ask_Sim = true;
    p.st.Phonebook_Ask_Me = false;
    PhonebookWindow& w = PhonebookForm(p);
    w.charsetStep = PhonebookWindow::CharsetStep::Offered;
    w.charsetBefore.clear();
    w.ucs2 = false;
    Ask(p, "AT+CSCS=?");
    p.host.showModal(*p.Form3);
}

bool Phonebook_Reply_Handler(Program& p, const std::string& reply) {
    DialogueState& st = p.st;
    if (PhonebookForm(p).charsetStep != PhonebookWindow::CharsetStep::None) {
        if (HasErrorResult(reply) || EndsWithOkLine(reply)) TakeCharsetReply(p, reply);
        return true;
    }
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
    if (InPhoneStep(st)) {
        FinishDownload(p);
        return true;
    }
    EndDownload(p, true);
    return false;
}

void Phonebook_No_Answer(Program& p) {
    const bool restoring = PhonebookForm(p).charsetStep == PhonebookWindow::CharsetStep::Restore;
    if (p.st.Phonebook_Download) EndDownload(p, !restoring && !InPhoneStep(p.st));
}

void Phonebook_Cut_Short(Program& p) {
    if (p.st.Phonebook_Download) EndDownload(p, false);
}

}  // namespace bsms
