// The message and title texts of the five languages, shown in message boxes by every part of the
// program, and the texts of the send command's confirmation. Texts are UTF-8, exactly as shown.
#pragma once

#include <array>
#include <string_view>

namespace bsms {

inline constexpr int kLanguageCount = 5;
// Column order of every table: italiano, english, slovak, magyar, polski.
inline constexpr std::array<std::string_view, kLanguageCount> kLanguageWords = {
    "italiano", "english", "slovak", "magyar", "polski"};
// -1 for a word that is none of the five (compared exactly, case counts).
int LanguageIndex(std::string_view word);

using LanguageTexts = std::array<const char*, kLanguageCount>;

// Message and title texts, in the order Apply_Language sets them.
enum class MsgId {
    Ask_Delete_Message,
    Caption_Sender_Column,
    Caption_Date_Column,
    Caption_Centre_Column,
    Command_Refused,
    Message_Sent,
    Ask_Save_Settings,
    Port_Open_Failed,
    Ask_Reset_Sent,
    Ask_Delete_Log,
    Service_Centre_Missing,
    Title_Error,
    Title_Information,
    Title_Automatic_Save,
    Title_Port_Error,
    Title_Confirm_Reset,
    Title_Confirm_Delete_Log,
    Title_Send_Impossible,
    // Texts this program adds to the original eighteen.
    Bad_Recipient,         // followed by the character that is not allowed
    Bad_Service_Centre,    // followed by the character that is not allowed
    Port_No_Permission,    // "%1" is the device, "%2" the group that grants access
    Save_Failed,           // followed by the file that could not be written
    Folder_Not_Writable,   // "%1" is the program's folder
    Number_Too_Long,       // followed by the number that has more than 20 digits
    No_Answer,             // the phone left a command unanswered
    Unreadable_Locations,  // "%1" is how many locations the phone answered with an error
    Files_Elsewhere,       // "%1" is the program's folder, "%2" the folder its files are in
    Encoding_Per_Sms,      // "%1" is the encoding, "%2" what one SMS of it holds
    Part_Missing,          // marks where a part of a long message was not read
    Report_Delivered,      // the outcome of a sent message, from its delivery reports
    Report_Pending,
    Report_Failed,
    Report_Unmatched,  // a delivery report on no message sent from here
    New_Message_At,    // "%1" is the location a new message arrived at
    Report_Arrived,    // "%1" is the outcome and the start of the message
    Parts_Taken,       // "%1" parts of "%2" went before a send was cut off
    Memory_Full,       // the phone's message memory is full
    Reply_Cut,         // "%1" is how many characters of an answered message fit the editor
    // The SIM and the network.
    Sim_Pin_Wrong,
    Sim_Puk_Wrong,
    Sim_Tries_Left,  // "%1" is how many tries the SIM has left
    Sim_Declined,    // no PIN given: the port stays open, SMS wait for it
    Sim_Missing,
    Sim_Failure,
    Sim_Busy,
    Sim_Pin_Required,
    Sim_Puk_Required,
    No_Phone,  // "%1" is the device that is open but silent
    Network_None,
    Network_Home,
    Network_Roaming,
    Network_Searching,
    Network_Denied,
    No_Network_Service,
    Network_Timeout,
    Network_Out_Of_Order,
    Network_Congestion,
    Centre_Unknown,
    Ask_Send_Unregistered,
    Progress_Send,       // "%1" is the part on its way, "%2" how many there are
    Progress_Store,      // the same for a message stored
    Progress_Phonebook,  // "%1" is the book being read (1 or 2), "%2" the entries read so far
    Title_Sim,
    Caption_Device_Column,  // the search for the phone: its list's columns
    Caption_Model_Column,
    Search_Trying,           // followed by the device being tried
    Search_No_Access,        // a device that is busy or not allowed
    Search_Not_Opened,       // a device that could not be opened otherwise
    Search_None,             // the search is over and nothing answered
    Search_Done,             // the search is over and something answered
    Search_Stopped,          // the user stopped the search
    Search_Not_A_Link,       // followed by the port's file, which the search leaves alone
    Port_Busy,               // "%1" is the device, held by a process that cannot be told
    Port_Busy_By,            // "%1" is the device, "%2" the processes that hold it
    Port_Close_Holder,       // follows Port_Busy_By when a program other than ModemManager holds it
    Port_Busy_ModemManager,  // how to keep ModemManager off the device
    Port_Join_Group,         // "%1" is the group: the command that joins it
    Port_Admin_Only,         // "%1" is the device its group may not read and write
    Port_Link_Nowhere,       // "%1" is the link, "%2" the missing path it points to
    Port_No_Device,          // "%1" lists the paths the port was looked for at
    New_Message_From,        // a notification's summary: "%1" is the sender
    // The command line's own words on its use.
    Cli_Unknown_Command,  // "%1" is the word given
    Cli_One_Text,
    Cli_No_Text,
    Cli_Text_Too_Long,
    Cli_No_Recipient,
    Cli_Unknown_Name,  // "%1" is what --to gave
    Cli_No_Message,    // "%1" is the Id given
    Cli_One_Id,
    // A vCard file's cards left out on reading; "%1" is the line.
    Vcard_Not_A_Card,
    Vcard_Unterminated,
    Vcard_No_Number,
    Vcard_Bad_Encoding,
    // The phonebook window.
    Book_Sim,
    Book_Phone,
    Book_Both,
    Book_Order_Place,
    Book_Order_Name,
    Book_Order_Number,
    Book_Column_Book,
    Book_Column_Location,
    Book_Column_Name,
    Book_Column_Number,
    Book_Upload_First,
    Book_Location_Empty,
    Book_Location_Holds,
    Book_No_Number,
    Book_Export_Title,
    Book_Import_Title,
    Book_Import_Will,
    Book_Import_Left,
    Book_Number_Too_Long,
    Book_Name_Too_Long,
    Book_Bad_Location,
    Book_Bad_Number,
    Book_Name_Lacks,
    Book_Full,
    Book_Bad_Index,
    Book_Text_Too_Long,
    Book_Bad_Text,
    Book_Dial_Too_Long,
    Count
};
struct MessageTextRow {
    MsgId id;
    const char* name;  // "Msg_Command_Refused", "Title_Error", "Caption_Sender_Column", ...
    LanguageTexts text;
};
extern const std::array<MessageTextRow, static_cast<int>(MsgId::Count)> kMessageTexts;

// The confirmation box of the send command.
struct SendConfirmTexts {
    const char* question;
    const char* recipientLabel;
    const char* flashLine;
    const char* statusReportLine;
};
extern const std::array<SendConfirmTexts, kLanguageCount> kSendConfirmTexts;
inline constexpr const char* kSendConfirmTitle = "Conferma di invio";

}  // namespace bsms
