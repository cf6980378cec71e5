// Reading what the phone answers to AT+CMGR in PDU mode: the PDU line, and the message in it
// (a received SMS-DELIVER, an SMS-SUBMIT stored by "Salva", or a status report).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bsms {

enum class SmsKind { Empty, Deliver, Submit, StatusReport };
// How the text was coded, as read (a UCS2 text under a 7-bit scheme reads as UCS2).
enum class SmsCoding { Gsm7, Eight, Ucs2 };

struct Sms_Record {
    std::int16_t Id = 0;         // memory location; the browser sets it
    std::string Service_Centre;  // "+" for type 91, then the digits
    std::string Sender;          // the picker entry holding Sender_Number, else Sender_Number
    std::string Date_Time;       // "DD/MM/YY  hh.mm:ss"; empty for a stored SUBMIT
    std::string Text;
    double Date_Key = 0;        // 0 for a stored SUBMIT, which so sorts after the received ones
    std::string Sender_Number;  // sender of a DELIVER, recipient of a SUBMIT or status report
    SmsKind Kind = SmsKind::Empty;
    int Delivery_Status = -1;  // TP-ST of a status report; -1 otherwise and when it is missing
    // Octets the PDU promised but lacked, read as 0 (a last lone digit counts as one); 0 when
    // the PDU is whole.
    std::size_t octetsMissing = 0;
    // A part of a concatenated message (8- or 16-bit reference): its reference, the number of
    // parts and its own number from 1; reference -1 for a message of one part.
    int concatRef = -1;
    int concatTotal = 0;
    int concatPart = 0;
    // A status report's TP-MR: the reference the phone gave the message it reports on.
    int reportRef = -1;
    // The service-centre time stamp (of a DELIVER or a status report, not the discharge time) in
    // seconds since 1970-01-01 00:00 UTC, its time zone applied; years 00 to 99 are 2000 to 2099.
    // -1 when it reads as no date and time (a month 0, a semi-octet above 9, ...) or is cut.
    std::int64_t serviceCentreTime = -1;
    // The time stamp's own zone, in minutes east of UTC, when serviceCentreTime is known.
    int zoneMinutes = 0;
    SmsCoding coding = SmsCoding::Gsm7;
    // As the phone lists it: 0 received unread, 1 received read, 2 stored unsent, 3 stored sent;
    // -1 when not told.
    int storedStatus = -1;
};

// The PDU line of a +CMGR reply, or the empty text when there is none. Any line break (CR LF,
// LF or CR) is accepted; the echoed command never matches, and neither does a result code
// where the PDU should stand (a PDU line begins with two hexadecimal digits).
std::string Extract_Pdu(std::string_view reply);

// One entry of an AT+CMGL reply in PDU mode: the location and its PDU line.
struct ListedPdu {
    int index;
    std::string pdu;
    int status = -1;  // its <stat>, as Sms_Record::storedStatus
};
// The largest location an entry may name: the most a record's Id holds.
inline constexpr int kMaxListedIndex = 32767;
// The entries of an AT+CMGL reply: each "+CMGL: index,stat,[alpha],length" line at a line start
// with the PDU line after it. Entries without a PDU line, or whose index is above
// kMaxListedIndex, are left out.
std::vector<ListedPdu> Extract_Listing(std::string_view reply);

// The <stat> of a "+CMGR: stat,..." line in a reply, 0 to 3; -1 when there is none.
int StoredStatusOf(std::string_view reply);

// For people pasting by hand: the PDU of a +CMGR reply, or else the first line that begins with
// two hexadecimal digits. Empty for a reply that holds no PDU, such as "+CMS ERROR: 321".
std::string Pdu_From_Input(std::string_view input);

// Decodes one PDU (service-centre field first). Never fails: broken input gives a record of
// whatever could be read, missing octets read as 0 and counted in octetsMissing. Empty input
// gives the empty record. Addresses hold the digits their length says, the semi-octets A to E
// reading "*", "#", "a", "b", "c"; a header may select national language tables.
Sms_Record Decode_Sms_Deliver(std::string_view pdu, const std::vector<std::string>& pickerEntries);

// The first picker entry that contains the number's look-up key (letters in either case), or
// the number itself. An international number longer than five characters is looked up without
// its first four ("+393331234567" by "331234567"), so that national spellings match too.
std::string Find_Sender(std::string_view number, const std::vector<std::string>& pickerEntries);

// The text of a status report's TP-ST: "Delivered", "Pending" or "Not delivered"; "Status
// unknown" for -1, a report that lacks its status.
std::string_view Delivery_Status_Text(int status);

}  // namespace bsms
