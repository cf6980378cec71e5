// The five languages' texts as data: window texts, label positions, message texts and the
// confirmation texts of the send command. Texts are UTF-8, exactly as shown to the user.
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

// One text that Apply_Language sets on a window. `control` names a control or menu item;
// "" means the window caption; "CommonDialog1" the title of the browser's save dialog.
struct WindowTextRow {
    const char* window;  // "Form1", "Form2", "Form3", "Form4", "About", "Form5"
    const char* control;
    LanguageTexts text;
};
// In the order Apply_Language sets them.
extern const std::array<WindowTextRow, 61> kWindowTexts;

// Labels of the main window whose left edge (twips) depends on the language.
struct LabelPositionRow {
    const char* control;
    std::array<int, kLanguageCount> left;
};
extern const std::array<LabelPositionRow, 4> kLabelPositions;

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
    Unencodable_Text,    // followed by the characters that cannot be sent
    Bad_Recipient,       // followed by the character that is not allowed
    Bad_Service_Centre,  // followed by the character that is not allowed
    Port_No_Permission,  // "%1" is the device, "%2" the group that grants access
    Save_Failed,         // followed by the file that could not be written
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
