// Real +CMGR replies from many phones, against an independent decoder's reading of them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "base/text.h"
#include "sms/alphabet.h"
#include "sms/decoder.h"

namespace bsms {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(BSMS_SHARED_DIR) / "corpus" / "real-cmgr";

// Just enough JSON for reference.json.
struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
    std::string str;
    std::vector<Json> items;
    std::vector<std::string> keys;  // an object's member names, beside their values in items

    const Json* Get(std::string_view key) const {
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == key) return &items[i];
        return nullptr;
    }
    std::optional<std::string> Str(std::string_view key) const {
        const Json* v = Get(key);
        if (v == nullptr || v->type != Type::String) return std::nullopt;
        return v->str;
    }
};

class JsonParser {
  public:
    explicit JsonParser(std::string_view s) : s_(s) {}
    Json Value() {
        Blank();
        Json j;
        const char c = Peek();
        if (c == '{') {
            j.type = Json::Type::Object;
            ++i_;
            for (Blank(); Peek() != '}'; Blank()) {
                Blank();
                std::string key = String();
                Blank();
                ++i_;  // ':'
                j.keys.push_back(std::move(key));
                j.items.push_back(Value());
                Blank();
                if (Peek() == ',') ++i_;
            }
            ++i_;
        } else if (c == '[') {
            j.type = Json::Type::Array;
            ++i_;
            for (Blank(); Peek() != ']'; Blank()) {
                j.items.push_back(Value());
                Blank();
                if (Peek() == ',') ++i_;
            }
            ++i_;
        } else if (c == '"') {
            j.type = Json::Type::String;
            j.str = String();
        } else {
            const std::size_t start = i_;
            while (i_ < s_.size() && std::string_view(",]}\n ").find(s_[i_]) == std::string::npos)
                ++i_;
            const std::string_view word = s_.substr(start, i_ - start);
            j.type = word == "null"                        ? Json::Type::Null
                     : (word == "true" || word == "false") ? Json::Type::Bool
                                                           : Json::Type::Number;
            j.str = std::string(word);
        }
        return j;
    }

  private:
    char Peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
    void Blank() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_])))
            ++i_;
    }
    std::string String() {
        std::string out;
        for (++i_; i_ < s_.size() && s_[i_] != '"'; ++i_) {
            if (s_[i_] != '\\') {
                out.push_back(s_[i_]);
                continue;
            }
            const char e = s_[++i_];
            if (e != 'u') {
                out.push_back(e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e);
                continue;
            }
            char32_t cp = std::stoul(std::string(s_.substr(i_ + 1, 4)), nullptr, 16);
            i_ += 4;
            if (cp >= 0xD800 && cp <= 0xDBFF && s_.substr(i_ + 1, 2) == "\\u") {
                const char32_t low = std::stoul(std::string(s_.substr(i_ + 3, 4)), nullptr, 16);
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i_ += 6;
            }
            out += CodePointToUtf8(cp);
        }
        ++i_;
        return out;
    }
    std::string_view s_;
    std::size_t i_ = 0;
};

std::string ReadFile(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// "2005-12-05 10:15:30" as the program shows it: "05/12/05  10.15:30".
std::string ShownDate(const std::string& iso) {
    return iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(2, 2) + "  " +
           iso.substr(11, 2) + "." + iso.substr(14, 2) + ":" + iso.substr(17, 2);
}

std::string HexBytesAsCp1252(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(Hex_To_Byte(hex.substr(i, 2))));
    return Cp1252ToUtf8(bytes);
}

struct Expected {
    std::optional<std::string> number, date, text;
    bool textIsPrefix = false;
};

// Replies whose reference reading is wrong by its own note, or that it could not decode.
const std::map<std::string, Expected>& Corrections() {
    static const std::map<std::string, Expected> m = {
        // Alphanumeric sender: septet 0x11 is "_", the reference left the raw value.
        {"ok/04.dump", {"O2_", {}, {}}},
        // Year 99 is shown as the phone sent it, not remapped to 2089.
        {"ok/09.dump", {{}, "29/03/99  15.16:59", {}}},
        // UCS2 stored under a 7-bit coding scheme, its octets counted in TP-UDL.
        {"ok/14.dump", {{}, {}, "Тест Test"}},
        // A status report with empty user data still tells its status.
        {"ok/34.dump", {{}, {}, "Delivered", true}},
        // Truncated user data: the part that is there.
        {"ok/41.dump",
         {"77777777777", "", "MBOXUPDATE?m=15;server=natashenka.party;port=993;pw=liUfOyVO;name=n@",
          true}},
        // The 26 octets hold exactly the 29 septets announced.
        {"ok/42.dump", {"+94774705017", "05/08/19  08.09:35", "1917812300     22:30   RATTHI"}},
    };
    return m;
}

std::vector<Json> Reference() {
    return JsonParser(ReadFile(kCorpus / "reference.json")).Value().items;
}

TEST(SmsCorpus, OkRepliesDecodeAsTheReferenceSays) {
    if (!fs::exists(kCorpus / "reference.json")) GTEST_SKIP() << "no corpus at " << kCorpus;
    int checked = 0;
    for (const Json& ref : Reference()) {
        const std::string file = *ref.Str("file");
        if (file.rfind("ok/", 0) != 0) continue;
        SCOPED_TRACE(file);
        const std::string pdu = Extract_Pdu(ReadFile(kCorpus / file));
        EXPECT_EQ(pdu.rfind(ref.Str("pdu").value_or(""), 0), 0u) << pdu;
        const Sms_Record r = Decode_Sms_Deliver(pdu, {});

        Expected want;
        const std::string type = ref.Str("type").value_or("");
        if (ref.Get("number")) want.number = ref.Str("number");
        if (ref.Get("date")) want.date = ref.Str("date") ? ShownDate(*ref.Str("date")) : "";
        if (ref.Str("text")) {
            want.text = ref.Str("text");
        } else if (ref.Str("data_hex")) {
            want.text = HexBytesAsCp1252(*ref.Str("data_hex"));
        }
        want.textIsPrefix = type == "Status_Report";  // its text is made up by each decoder
        if (auto c = Corrections().find(file); c != Corrections().end()) {
            if (c->second.number) want.number = c->second.number;
            if (c->second.date) want.date = c->second.date;
            if (c->second.text) want.text = c->second.text;
            want.textIsPrefix = c->second.textIsPrefix;
        }

        EXPECT_EQ(r.Service_Centre, ref.Str("smsc").value_or(r.Service_Centre));
        EXPECT_EQ(r.Sender_Number, want.number.value_or(r.Sender_Number));
        EXPECT_EQ(r.Date_Time, want.date.value_or(r.Date_Time));
        ASSERT_TRUE(want.text.has_value());
        if (want.textIsPrefix) {
            EXPECT_EQ(r.Text.rfind(*want.text, 0), 0u) << r.Text;
        } else {
            EXPECT_EQ(r.Text, *want.text);
        }
        const SmsKind kind = type == "Submit"          ? SmsKind::Submit
                             : type == "Status_Report" ? SmsKind::StatusReport
                             : type == "Deliver"       ? SmsKind::Deliver
                                                       : r.Kind;
        EXPECT_EQ(r.Kind, kind);
        EXPECT_EQ(r.Date_Key == 0, r.Date_Time.empty());
        ++checked;
    }
    EXPECT_EQ(checked, 36);
}

TEST(SmsCorpus, FailingRepliesAreSurvived) {
    if (!fs::exists(kCorpus / "failing")) GTEST_SKIP() << "no corpus at " << kCorpus;
    int survived = 0;
    for (const auto& entry : fs::directory_iterator(kCorpus / "failing")) {
        const std::string reply = ReadFile(entry.path());
        const Sms_Record r = Decode_Sms_Deliver(Extract_Pdu(reply), {"Anna (3331234567)"});
        Decode_Sms_Deliver(reply, {});
        EXPECT_EQ(U32ToUtf8(Utf8ToU32(r.Text)), r.Text);
        ++survived;
    }
    EXPECT_EQ(survived, 10);
}

}  // namespace
}  // namespace bsms
