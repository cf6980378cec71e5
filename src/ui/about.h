// The About window: the program's name, version and author, the author's web page, and who
// translated the current language.
#pragma once

#include <memory>
#include <string>

#include "core/controls.h"

namespace bsms {

class Program;

inline constexpr const char* kAuthorPage = "https://orvantelliq.github.io/brenvik-sms/";

// "Ver. " and the version numbers, each without leading zeros.
std::string VersionLine(int major, int minor, int revision);
// The translator credit line of a language word; empty for the languages written by the author.
std::string TranslatorCredit(const std::string& language);

std::unique_ptr<Window> MakeAbout();

// Mn_About: shows the window.
void Mn_About_Click(Program& p);
void About_Load(Program& p);
void About_Activate(Program& p);
// Label5: opens the author's page in the web browser.
void About_Link_Click(Program& p);

}  // namespace bsms
