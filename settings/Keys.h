#pragma once

// Every section and key the program keeps in the settings store, with the default a read
// falls back to. Code names settings through these constants and never spells a key itself.
// Sections and keys compare without regard to letter case, so the spellings that differ
// below ("Text1" / "text1", "CheckBox1" / "checkbox1") address one value; each is kept as
// the program has always written and read it.

namespace settings {

// A key in a fixed section.
struct Setting
{
    const char* section;
    const char* key;
    const char* defaultValue;
};

// A key in the section named after a connection profile (the profile box's text).
struct ProfileSetting
{
    const char* key;
    const char* defaultValue;
};

namespace profile {
inline constexpr ProfileSetting Text1{"Text1", ""};        // query box text, saved with the profile
inline constexpr ProfileSetting Text1OnRun{"text1", ""};   // the same value, written at each run
inline constexpr ProfileSetting Text4{"Text4", ""};        // user name
inline constexpr ProfileSetting Text8{"Text8", ""};        // location: server or file
inline constexpr ProfileSetting Text9{"Text9", ""};        // database name
inline constexpr ProfileSetting Combo1{"Combo1", ""};      // database type as shown
inline constexpr ProfileSetting CheckBox1{"CheckBox1", "1"};     // save current statements
inline constexpr ProfileSetting CheckBox1Read{"checkbox1", "1"};
inline constexpr ProfileSetting CheckBox4{"CheckBox4", "1"};     // save all statements
inline constexpr ProfileSetting CheckBox4Read{"checkbox4", "1"};
} // namespace profile

inline constexpr Setting ProfileNames{"Profiles", "Names", ""};
inline constexpr Setting LastProfileName{"Profiles", "ProfileName", ""};
inline constexpr Setting LoadProfile{"Profiles", "LoadProfile", "0"};

inline constexpr Setting OptionBox{"Options", "OptionBox", "2"};
inline constexpr Setting FontSizeText1{"Options", "FontSizeText1", "10"};
inline constexpr Setting FontSizeMSFlexGrid1{"Options", "FontSizeMSFlexGrid1", "10"};

inline constexpr Setting QuickQueryShown{"check5", "showhide", "0"};

// The main window's place (its saved geometry, base64) and the query box's height in twips,
// kept between runs; empty until the window was first moved, resized or split.
inline constexpr Setting WindowGeometry{"Window", "Geometry", ""};
inline constexpr Setting QueryBoxHeight{"Window", "QueryBoxHeight", ""};
// Keys of this section are the quick queries' names; values are their texts.
inline constexpr const char* QuickQuerySection = "QuickQuery";

inline constexpr Setting Drive1Drive{"FileSettings", "Drive1Drive", ""};
inline constexpr Setting Dir1Path{"FileSettings", "Dir1Path", ""};
inline constexpr Setting File1Path{"FileSettings", "File1Path", ""};
inline constexpr Setting File1PathRead{"FileSettings", "file1Path", ""};
inline constexpr Setting FilePath{"FileSettings", "FilePath", ""};

inline constexpr Setting MailServerName{"Mail", "ServerName", ""};
inline constexpr Setting MailUserName{"Mail", "UserName", ""};
inline constexpr Setting MailSubject{"Mail", "Subject", ""};
inline constexpr Setting MailBody{"Mail", "Body", ""};
inline constexpr Setting MailTo{"Mail", "from", ""};
inline constexpr Setting MailToRead{"Mail", "From", ""};

// Written for reference only; nothing reads them back.
inline constexpr Setting CompareServerName1{"Compare", "ServerName1", ""};
inline constexpr Setting CompareDataBase1{"Compare", "DataBase1", ""};
inline constexpr Setting CompareUserName1{"Compare", "UserName1", ""};
inline constexpr Setting CompareServerName2{"Compare", "ServerName2", ""};
inline constexpr Setting CompareDataBase2{"Compare", "DataBase2", ""};
inline constexpr Setting CompareUserName2{"Compare", "UserName2", ""};
inline constexpr Setting FindServerName{"Find", "ServerName", ""};
inline constexpr Setting FindDataBase{"Find", "DataBase", ""};
inline constexpr Setting FindUserName{"Find", "UserName", ""};
inline constexpr Setting WatchServerName{"SqlWatch", "ServerName", ""};
inline constexpr Setting WatchDataBase{"SqlWatch", "DataBase", ""};
inline constexpr Setting WatchUserName{"SqlWatch", "UserName", ""};

} // namespace settings
