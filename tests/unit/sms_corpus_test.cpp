// Real +CMGR replies from many phones, against an independent decoder's reading of them. (Those
// it could not read are the decoder fuzz target's seeds, held to its properties.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/text.h"
#include "sms/alphabet.h"
#include "sms/decoder.h"
#include "test_support.h"

namespace bsms {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(BSMS_SHARED_DIR) / "corpus" / "real-cmgr";

// One reply's reading: its string members, null ones as empty texts (other values are not
// needed).
using Entry = std::map<std::string, std::string>;

// reference.json as it is written: an array of objects, one member a line, those of an object
// indented by two blanks (deeper ones belong to nested members and are passed over). Values
// are taken literally: no member read here holds an escape but the sender of ok/04, which is
// corrected below.
std::vector<Entry> Reference() {
    std::ifstream f(kCorpus / "reference.json");
    std::vector<Entry> entries;
    for (std::string line; std::getline(f, line);) {
        if (line == " {") entries.emplace_back();
        const std::size_t colon = line.find("\": ");
        if (!line.starts_with("  \"") || colon == std::string::npos) continue;
        std::string value = line.substr(colon + 3, line.find_last_not_of(',') - colon - 2);
        if (value.starts_with('"')) value = value.substr(1, value.size() - 2);
        entries.back()[line.substr(3, colon - 3)] = value == "null" ? "" : value;
    }
    return entries;
}

// "2005-12-05 10:15:30" as the program shows it: "05/12/05  10.15:30".
std::string ShownDate(const std::string& d) {
    if (d.empty()) return "";
    return d.substr(8, 2) + "/" + d.substr(5, 2) + "/" + d.substr(2, 2) + "  " + d.substr(11, 2) +
           "." + d.substr(14, 2) + ":" + d.substr(17, 2);
}

// Replies whose reference reading is wrong by its own note, or that it could not decode, as the
// reference should have read them. "cut": the reply lacks octets its lengths promise, so only
// the beginning of the text is known.
const std::map<std::string, Entry> kCorrections = {
    // Alphanumeric sender: septet 0x11 is "_", the reference left the raw value.
    {"ok/04.dump", {{"number", "O2_"}}},
    // Year 99 is shown as the phone sent it, not remapped to 2089.
    {"ok/09.dump", {{"date", "1999-03-29 15:16:59"}}},
    // UCS2 stored under a 7-bit coding scheme, its octets counted in TP-UDL.
    {"ok/14.dump", {{"text", "Тест Test"}}},
    // A status report with empty user data still tells its status.
    {"ok/34.dump", {{"text", "Delivered"}}},
    // Truncated user data: the part that is there, and the reading flagged as cut.
    {"ok/41.dump",
     {{"number", "77777777777"},
      {"date", ""},
      {"text", "MBOXUPDATE?m=15;server=natashenka.party;port=993;pw=liUfOyVO;name=n@"},
      {"cut", ""}}},
    // The 26 octets hold exactly the 29 septets announced.
    {"ok/42.dump",
     {{"number", "+94774705017"},
      {"date", "2019-08-05 08:09:35"},
      {"text", "1917812300     22:30   RATTHI"}}},
};

TEST(SmsCorpus, OkRepliesDecodeAsTheReferenceSays) {
    if (!fs::exists(kCorpus / "reference.json")) GTEST_SKIP() << "no corpus at " << kCorpus;
    const std::string kinds[] = {"", "Deliver", "Submit", "Status_Report"};
    int checked = 0;
    for (Entry ref : Reference()) {
        const std::string file = ref["file"];
        if (file.rfind("ok/", 0) != 0) continue;
        SCOPED_TRACE(file);
        for (const auto& [key, value] :
             kCorrections.contains(file) ? kCorrections.at(file) : Entry{})
            ref[key] = value;
        const std::string pdu = Extract_Pdu(test::ReadFile(kCorpus / file));
        EXPECT_EQ(pdu.rfind(ref["pdu"], 0), 0u) << pdu;
        const Sms_Record r = Decode_Sms_Deliver(pdu, {});
        // Members the reference lacks are not checked.
        if (auto d = ref.find("date"); d != ref.end()) d->second = ShownDate(d->second);
        const std::pair<const char*, std::string> read[] = {
            {"smsc", r.Service_Centre},
            {"number", r.Sender_Number},
            {"date", r.Date_Time},
            {"type", kinds[static_cast<int>(r.Kind)]}};
        for (const auto& [key, value] : read)
            EXPECT_EQ(value, ref.count(key) != 0 ? ref[key] : value) << key;
        EXPECT_EQ(r.Date_Key == 0, r.Date_Time.empty());
        EXPECT_EQ(r.octetsMissing > 0, ref.count("cut") != 0);

        std::string text = ref["text"];
        if (text.empty()) {  // 8-bit data, shown as Windows-1252
            const std::string& hex = ref["data_hex"];
            for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
                text.push_back(static_cast<char>(Hex_To_Byte(hex.substr(i, 2))));
            text = Cp1252ToUtf8(text);
        }
        // A status report's text is made up by each decoder: only its start is compared.
        const bool prefix = ref["type"] == "Status_Report" || ref.count("cut") != 0;
        EXPECT_EQ(prefix ? r.Text.substr(0, text.size()) : r.Text, text);
        ++checked;
    }
    EXPECT_EQ(checked, 36);
}

}  // namespace
}  // namespace bsms
