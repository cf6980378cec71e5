#include "phonebook/book_window.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/text.h"
#include "core/files.h"
#include "core/program.h"
#include "link/dispatcher.h"
#include "phonebook/form3.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/vcard.h"
#include "sms/alphabet.h"

namespace bsms {

namespace {

constexpr int kColumns = 4;
const char* const kBooks[] = {"SM", "ME"};

std::vector<BookEntry>& Books(Program& p) {
    return PhonebookForm(p).books;
}

// Hexadecimal UCS2 of a UTF-8 text, surrogate pairs for what lies beyond the first plane.
std::string Ucs2Hex(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    const auto unit = [&](unsigned u) {
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kHex[(u >> shift) & 0xF];
    };
    for (char32_t c : Utf8ToU32(utf8)) {
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

// A character the phone's own set carries as this program writes it: printable ASCII, but what
// the GSM set places elsewhere; Latin-1 for "8859-1".
bool InPhoneSet(char32_t c, const std::string& charset) {
    if (charset == "8859-1") return c >= 0x20 && c <= 0xFF && c != 0x7F;
    if (c < 0x20 || c > 0x7E) return false;
    return charset != "GSM" ||
           std::u32string_view(U"@$_`[]{}~^\\|").find(c) == std::u32string::npos;
}

// The text of a field as the phone takes it, in the set the last download read in.
std::string OnTheLine(const std::string& text, bool ucs2, const std::string& charset) {
    if (ucs2) return Ucs2Hex(text);
    return charset == "8859-1" ? Utf8ToCp1252(text) : text;
}

void Ask(Program& p, std::string command, int tag = 0) {
    p.Send(CommandLine(Owner::BookEdit, std::move(command), tag, false));
}

void Say(Program& p, const std::string& text) {
    BookForm(p)["Label6"].setText(text);
}

const std::string& BookName(const Program& p, const std::string& book) {
    return p.texts[book == "SM" ? MsgId::Book_Sim : MsgId::Book_Phone];
}

// The picker and Rubrica.txt follow the books.
void Picker_Follows(Program& p) {
    Control& picker = (*p.Form1)["Combo2"];
    picker.clearItems();
    std::vector<std::string> items;
    for (const BookEntry& e : Books(p))
        items.push_back(PickerEntry(e.number, e.name));
    picker.addItems(std::move(items));
    Save_Phonebook(p);
}

// The next step of the change under way, or the next change.
void Next(Program& p);

void Finish(Program& p, bool restore) {
    BookWindow& w = BookForm(p);
    const PhonebookWindow& books = PhonebookForm(p);
    if (restore && books.booksInUcs2 && !books.booksCharset.empty() &&
        books.booksCharset != "UCS2") {
        w.step = BookWindow::Step::Restore;
        Ask(p, "AT+CSCS=\"" + books.booksCharset + "\"");
        return;
    }
    if (!w.changes.empty()) w.changes.pop_front();
    w.step = BookWindow::Step::Idle;
    Next(p);
}

void Write(Program& p) {
    BookWindow& w = BookForm(p);
    const BookWindow::Change& c = w.changes.front();
    const PhonebookWindow& books = PhonebookForm(p);
    if (const std::string misfit = BookMisfit(p, c, books.booksInUcs2, books.booksCharset);
        !misfit.empty()) {
        Say(p, misfit);
        Finish(p, true);
        return;
    }
    w.step = BookWindow::Step::Write;
    const std::string at = c.location > 0 ? std::to_string(c.location) : "";
    if (c.erase) {
        Ask(p, "AT+CPBW=" + at);
        return;
    }
    const int type = c.number.starts_with('+') ? 145 : 129;
    // The number goes as digits in any set, as phones list it.
    Ask(p, "AT+CPBW=" + at + ",\"" + c.number + "\"," + std::to_string(type) + ",\"" +
               OnTheLine(c.name, books.booksInUcs2, books.booksCharset) + "\"");
}

void Next(Program& p) {
    BookWindow& w = BookForm(p);
    if (w.step != BookWindow::Step::Idle || w.changes.empty()) return;
    const PhonebookWindow& books = PhonebookForm(p);
    if (books.booksInUcs2 && books.booksCharset != "UCS2") {
        w.step = BookWindow::Step::Charset;
        Ask(p, "AT+CSCS=\"UCS2\"");
        return;
    }
    w.step = BookWindow::Step::Select;
    Ask(p, "AT+CPBS=" + p.StringParameter(w.changes.front().book));
}

// The book's entries read back: what a location holds now replaces what was listed there.
void TakeReadBack(Program& p, const std::string& answer) {
    BookWindow& w = BookForm(p);
    const BookWindow::Change& c = w.changes.front();
    const std::vector<BookEntry> read =
        ParseEntries(ReplyView(answer), c.book, PhonebookForm(p).booksInUcs2);
    std::vector<BookEntry>& books = Books(p);
    const bool whole = c.location == 0;
    std::erase_if(books, [&](const BookEntry& e) {
        return e.book == c.book && (whole || e.location == c.location);
    });
    books.insert(books.end(), read.begin(), read.end());
    // The SIM's first, each book by location, as a download lists them.
    std::stable_sort(books.begin(), books.end(), [](const BookEntry& a, const BookEntry& b) {
        return std::pair(a.book != "SM", a.location) < std::pair(b.book != "SM", b.location);
    });
    std::string said;
    if (c.erase || read.empty()) {
        said = Filled(p.texts[MsgId::Book_Location_Empty], BookName(p, c.book),
                      std::to_string(c.location));
    } else {
        const BookEntry& e =
            whole ? *std::find_if(read.begin(), read.end(),
                                  [&](const BookEntry& r) {
                                      return r.name == c.name && r.number == c.number;
                                  })
                  : read.front();
        said = Filled(p.texts[MsgId::Book_Location_Holds],
                      BookName(p, c.book) + " " + std::to_string(e.location),
                      PickerEntry(e.number, e.name));
    }
    Say(p, said);
    Picker_Follows(p);
    if (w.shown()) Form7_List(p);
}

// Starts a change from the boxes below the grid.
void Change(Program& p, bool erase, bool atRow) {
    BookWindow& w = BookForm(p);
    BookWindow::Change c;
    const int row = w["Grid1"].row();
    if (atRow) {
        if (row < 1 || static_cast<std::size_t>(row) > w.listed.size()) return;
        const BookEntry& e = Books(p)[w.listed[static_cast<std::size_t>(row) - 1]];
        c.book = e.book;
        c.location = e.location;
    } else {
        c.book = kBooks[std::max(0, w["Combo1"].listIndex())];
        c.location = LeadingInt16(w["Text4"].text());
    }
    c.erase = erase;
    if (!erase) {
        c.name = w["Text2"].text();
        c.number = PlainNumber(w["Text3"].text());
        if (c.number.empty()) {
            Say(p, p.texts[MsgId::Book_No_Number]);
            return;
        }
    }
    w.changes.push_back(std::move(c));
    Next(p);
}

}  // namespace

std::optional<BookLimits> BookLimitsOf(std::string_view answer) {
    const std::size_t at = answer.find("+CPBW:");
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view s = answer.substr(at + 6);
    s = s.substr(0, s.find_first_of("\r\n"));
    BookLimits l;
    const std::size_t open = s.find('('), dash = s.find('-'), close = s.find(')');
    if (open == s.npos || close == s.npos) return std::nullopt;
    l.first = LeadingInt16(s.substr(open + 1));
    l.last = dash != s.npos && dash < close ? LeadingInt16(s.substr(dash + 1)) : l.first;
    s.remove_prefix(close + 1);
    // ",nlength,(types),tlength"
    if (!s.starts_with(',')) return std::nullopt;
    l.numberLength = LeadingInt16(s.substr(1));
    const std::size_t types = s.find(')');
    const std::size_t comma = s.find(',', types == s.npos ? 1 : types);
    if (comma == s.npos) return std::nullopt;
    l.nameLength = LeadingInt16(s.substr(comma + 1));
    return l;
}

BookWindow::BookWindow() : Window("Form7", "Rubrica", 8430, 6540) {
    using K = ControlKind;
    add(K::Label, "Label1", {120, 150, 900, 255}, "Cerca:");
    add(K::TextBox, "Text1", {1080, 90, 1700, 315});
    add(K::Label, "Label8", {2880, 150, 660, 255}, "Mostra:");
    add(K::ComboBox, "Combo3", {3540, 90, 1980, 315});
    add(K::Label, "Label7", {5640, 150, 660, 255}, "Ordina:");
    add(K::ComboBox, "Combo2", {6300, 90, 1980, 315});
    Control& grid = add(K::Grid, "Grid1", {120, 510, 8160, 3300});
    grid.setCols(kColumns);
    grid.colWidths = {1500, 900, 3000, 2700};
    add(K::Label, "Label2", {120, 3960, 900, 255}, "Rubrica:");
    add(K::ComboBox, "Combo1", {1080, 3900, 1500, 315});
    add(K::Label, "Label5", {2820, 3960, 1000, 255}, "Posizione:");
    add(K::TextBox, "Text4", {3900, 3900, 800, 315});
    add(K::Label, "Label3", {120, 4380, 900, 255}, "Nome:");
    add(K::TextBox, "Text2", {1080, 4320, 3600, 315});
    add(K::Label, "Label4", {4800, 4380, 900, 255}, "Numero:");
    add(K::TextBox, "Text3", {5700, 4320, 2580, 315});
    add(K::Button, "Command1", {120, 4800, 1300, 375}, "Aggiungi");
    add(K::Button, "Command2", {1500, 4800, 1300, 375}, "Modifica");
    add(K::Button, "Command3", {2880, 4800, 1300, 375}, "Elimina");
    add(K::Button, "Command4", {4440, 4800, 1860, 375}, "Esporta vCard...");
    add(K::Button, "Command5", {6420, 4800, 1860, 375}, "Importa vCard...");
    add(K::Label, "Label6", {120, 5340, 8160, 510});
    add(K::Button, "Command6", {6980, 6000, 1300, 375}, "Chiudi");
}

std::unique_ptr<BookWindow> MakeForm7() {
    return std::make_unique<BookWindow>();
}

BookWindow& BookForm(Program& p) {
    return static_cast<BookWindow&>(*p.Form7);
}

void Mn_Rub_Edit_Click(Program& p) {
    p.host.showModal(*p.Form7);
}

void Form7_Load(Program& p) {
    BookWindow& w = BookForm(p);
    for (const auto& [name, items] :
         {std::pair{"Combo1", std::vector{p.texts[MsgId::Book_Sim], p.texts[MsgId::Book_Phone]}},
          std::pair{"Combo3", std::vector{p.texts[MsgId::Book_Both], p.texts[MsgId::Book_Sim],
                                          p.texts[MsgId::Book_Phone]}},
          std::pair{"Combo2",
                    std::vector{p.texts[MsgId::Book_Order_Place], p.texts[MsgId::Book_Order_Name],
                                p.texts[MsgId::Book_Order_Number]}}}) {
        w[name].clearItems();
        w[name].addItems(items);
        w[name].setListIndex(0);
    }
    Control& grid = w["Grid1"];
    const MsgId headers[] = {MsgId::Book_Column_Book, MsgId::Book_Column_Location,
                             MsgId::Book_Column_Name, MsgId::Book_Column_Number};
    grid.setRows(1);
    for (int col = 0; col < kColumns; ++col)
        grid.setCell(0, col, p.texts[headers[col]]);
    Say(p, Books(p).empty() ? p.texts[MsgId::Book_Upload_First] : "");
    Form7_List(p);
    // What each book takes, known before the user types: an import shows what will not fit.
    if (p.Comm1.portOpen() && !Books(p).empty())
        for (const char* book : kBooks)
            if (!w.limits.contains(book)) {
                BookWindow::Change c;
                c.book = book;
                c.limitsOnly = true;
                w.changes.push_back(std::move(c));
            }
    Next(p);
}

void Form7_List(Program& p) {
    BookWindow& w = BookForm(p);
    const std::vector<BookEntry>& books = Books(p);
    const std::string wanted = w["Text1"].text();
    const int only = w["Combo3"].listIndex();  // 0 both books, else the SIM's or the phone's
    w.listed.clear();
    for (std::size_t i = 0; i < books.size(); ++i) {
        const BookEntry& e = books[i];
        if (only > 0 && e.book != kBooks[only - 1]) continue;
        if (wanted.empty() || e.name.find(wanted) != std::string::npos ||
            e.number.find(PlainNumber(wanted)) != std::string::npos)
            w.listed.push_back(i);
    }
    const int order = w["Combo2"].listIndex();
    std::stable_sort(w.listed.begin(), w.listed.end(), [&](std::size_t a, std::size_t b) {
        const BookEntry &x = books[a], &y = books[b];
        if (order == 1) return x.name < y.name;
        if (order == 2) return x.number < y.number;
        return false;  // as listed: by book, then location
    });
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i : w.listed)
        rows.push_back({BookName(p, books[i].book), std::to_string(books[i].location),
                        books[i].name, books[i].number});
    Control& grid = w["Grid1"];
    grid.setRows(1);
    grid.addRows(std::move(rows));
}

void Form7_Grid_Click(Program& p) {
    BookWindow& w = BookForm(p);
    const int row = w["Grid1"].row();
    if (row < 1 || static_cast<std::size_t>(row) > w.listed.size()) return;
    const BookEntry& e = Books(p)[w.listed[static_cast<std::size_t>(row) - 1]];
    w["Combo1"].setListIndex(e.book == "SM" ? 0 : 1);
    w["Text4"].setText(std::to_string(e.location));
    w["Text2"].setText(e.name);
    w["Text3"].setText(e.number);
}

void Form7_Add_Click(Program& p) {
    Change(p, false, false);
}

void Form7_Edit_Click(Program& p) {
    Change(p, false, true);
}

void Form7_Delete_Click(Program& p) {
    Change(p, true, true);
}

void Form7_Export_Click(Program& p) {
    BookWindow& w = BookForm(p);
    const std::optional<std::string> file =
        p.host.saveFileDialog({p.texts[MsgId::Book_Export_Title], "vCard (*.vcf)|*.vcf", 1, true});
    if (!file) return;
    std::vector<VCardEntry> cards;
    for (std::size_t i : w.listed)
        cards.push_back({Books(p)[i].name, Books(p)[i].number});
    std::ofstream out(*file, std::ios::binary | std::ios::trunc);
    out << VCardText(cards);
    out.close();
    if (!out) Report_Save_Failed(p, *file);
}

void Form7_Import_Click(Program& p) {
    BookWindow& w = BookForm(p);
    const std::optional<std::string> file =
        p.host.openFileDialog({p.texts[MsgId::Book_Import_Title], "vCard (*.vcf)|*.vcf", 1, false});
    if (!file) return;
    std::ifstream in(*file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const VCardRead read = ReadVCards(text);
    const std::string book = kBooks[std::max(0, w["Combo1"].listIndex())];
    const PhonebookWindow& books = PhonebookForm(p);
    std::vector<BookWindow::Change> fit;
    std::string written, left;
    for (const VCardEntry& e : read.entries) {
        BookWindow::Change c{book, 0, e.number, e.name, false};
        const std::string misfit = BookMisfit(p, c, books.booksInUcs2, books.booksCharset);
        (misfit.empty() ? written : left) += "\r   " + PickerEntry(e.number, e.name);
        if (misfit.empty()) fit.push_back(std::move(c));
    }
    for (const VCardProblem& problem : read.problems)
        left += "\r   " + VCardProblemText(p.texts, problem);
    const std::string question =
        Filled(p.texts[MsgId::Book_Import_Will], BookName(p, book), std::to_string(fit.size())) +
        written + (left.empty() ? "" : "\r\r" + p.texts[MsgId::Book_Import_Left] + left);
    if (fit.empty() || p.Box(question, p.texts[MsgId::Book_Import_Title], MsgIcon::Question,
                             MsgButtons::OkCancel, 0) != MsgResult::Ok)
        return;
    for (BookWindow::Change& c : fit)
        w.changes.push_back(std::move(c));
    Next(p);
}

void Form7_Unload(Program& p) {
    BookWindow& w = BookForm(p);
    if (w.changes.size() > 1) w.changes.erase(w.changes.begin() + 1, w.changes.end());
}

bool Book_Answer(Program& p, const Command& command, const std::string& answer) {
    BookWindow& w = BookForm(p);
    if (w.changes.empty()) return true;
    using Step = BookWindow::Step;
    const BookWindow::Change& c = w.changes.front();
    const bool refused = HasErrorResult(answer);
    switch (w.step) {
        case Step::Charset:
            w.step = Step::Select;
            Ask(p, "AT+CPBS=" + p.StringParameter(c.book));
            return refused;  // names go in the phone's own set then
        case Step::Select:
            if (refused) break;
            if (c.limitsOnly && w.limits.contains(c.book)) {
                Finish(p, true);
                return false;
            }
            if (!w.limits.contains(c.book)) {
                w.step = Step::Limits;
                Ask(p, "AT+CPBW=?");
                return false;
            }
            Write(p);
            return false;
        case Step::Limits:
            if (const auto limits = BookLimitsOf(answer)) w.limits[c.book] = *limits;
            if (c.limitsOnly)
                Finish(p, true);
            else
                Write(p);
            return true;  // a phone that does not tell its limits is written to as it is
        case Step::Write:
            if (refused) break;
            w.step = Step::ReadBack;
            if (c.location > 0)
                Ask(p, "AT+CPBR=" + std::to_string(c.location));
            else
                Ask(p, "AT+CPBR=" + std::to_string(w.limits[c.book].first) + "," +
                           std::to_string(std::max<int>(
                               w.limits[c.book].last, c.book == "SM" ? p.st.Sim_Phonebook_Size
                                                                     : p.st.Phone_Phonebook_Size)));
            return false;
        case Step::ReadBack:
            // An empty location read back is "not found": the entry is gone.
            TakeReadBack(p, refused ? std::string() : answer);
            Finish(p, true);
            return true;
        case Step::Restore:
        case Step::Idle:
            Finish(p, false);
            return true;
    }
    (void)command;
    Finish(p, true);
    return false;  // the dispatcher says the refusal in words
}

bool Book_No_Answer(Program& p, const Command&, bool cutOff) {
    BookWindow& w = BookForm(p);
    w.changes.clear();
    w.step = BookWindow::Step::Idle;
    return cutOff;
}

std::string BookMisfit(const Program& p, const BookWindow::Change& c, bool ucs2,
                       const std::string& charset) {
    const BookWindow& w = static_cast<const BookWindow&>(*p.Form7);
    if (c.erase) return {};
    const auto limits = w.limits.find(c.book);
    std::string digits = c.number.starts_with('+') ? c.number.substr(1) : c.number;
    if (limits != w.limits.end()) {
        const BookLimits& l = limits->second;
        if (l.numberLength > 0 && static_cast<int>(digits.size()) > l.numberLength)
            return Filled(p.texts[MsgId::Book_Number_Too_Long], std::to_string(l.numberLength));
        if (l.nameLength > 0 && static_cast<int>(CharCount(c.name)) > l.nameLength)
            return Filled(p.texts[MsgId::Book_Name_Too_Long], std::to_string(l.nameLength));
        if (c.location > 0 && (c.location < l.first || c.location > l.last) && l.last > 0)
            return Filled(p.texts[MsgId::Book_Bad_Location], std::to_string(l.first),
                          std::to_string(l.last));
    }
    if (c.number.find_first_not_of("+0123456789*#") != std::string::npos)
        return p.texts[MsgId::Book_Bad_Number];
    if (!ucs2) {
        std::string lacking;
        for (char32_t ch : Utf8ToU32(c.name))
            if (!InPhoneSet(ch, charset))
                lacking += (lacking.empty() ? "" : " ") + DescribeChar(ch);
        if (!lacking.empty()) return Filled(p.texts[MsgId::Book_Name_Lacks], lacking);
    }
    return {};
}

}  // namespace bsms
