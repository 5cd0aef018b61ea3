#pragma once
// The vocabulary of the library and journal files: every element name, attribute name and fixed
// literal, by role. Windows-1251 byte strings, compared exactly.
#include <string_view>

// Elements (15).
inline constexpr std::string_view tagDreamLibrary = "dreamlibrary";
inline constexpr std::string_view tagIcon = "icon";
inline constexpr std::string_view tagLabel = "label";
inline constexpr std::string_view tagForm = "form";
inline constexpr std::string_view tagOptions = "options";
inline constexpr std::string_view tagDirectory = "directory";
inline constexpr std::string_view tagFile = "file";
inline constexpr std::string_view tagJournal = "velmora";
inline constexpr std::string_view tagDay = "day";
inline constexpr std::string_view tagExperience = "experience";
inline constexpr std::string_view tagDescription = "description";
inline constexpr std::string_view tagComment = "comment";
inline constexpr std::string_view tagImage = "image";
inline constexpr std::string_view tagProperties = "properties";
inline constexpr std::string_view tagEnergy = "energy";

// Attributes (24).
inline constexpr std::string_view attrName = "name";
inline constexpr std::string_view attrUserName = "username";
inline constexpr std::string_view attrUserPassword = "userpassword";
inline constexpr std::string_view attrPath = "path";
inline constexpr std::string_view attrCaption = "caption";
inline constexpr std::string_view attrLeft = "left";
inline constexpr std::string_view attrTop = "top";
inline constexpr std::string_view attrWidth = "width";
inline constexpr std::string_view attrHeight = "height";
inline constexpr std::string_view attrTreeWidth = "treewidth";
inline constexpr std::string_view attrMaximized = "maximized";  // "yes" when the window was closed maximised
inline constexpr std::string_view attrSearchWidth = "searchwidth";
inline constexpr std::string_view attrConfirmDelete = "confirmdelete";
inline constexpr std::string_view attrAutoSave = "autosave";  // seconds between saves by themselves; 0: off
inline constexpr std::string_view attrDefault = "default";
inline constexpr std::string_view attrNumber = "number";
inline constexpr std::string_view attrTitle = "title";
inline constexpr std::string_view attrReadOnly = "readonly";
inline constexpr std::string_view attrLabel1 = "label1";
inline constexpr std::string_view attrLabel2 = "label2";
inline constexpr std::string_view attrLabel3 = "label3";
inline constexpr std::string_view attrLabel4 = "label4";
inline constexpr std::string_view attrLevel = "level";
inline constexpr std::string_view attrLucidDream = "luciddream";
inline constexpr std::string_view attrAstralProjection = "astralprojection";
inline constexpr std::string_view attrOutOfBody = "outofbody";
inline constexpr std::string_view attrOtherExperience = "otherexperience";

// Other literals (14).
inline constexpr std::string_view litLibraryFile = "dreams.ini";
inline constexpr std::string_view litUndefined = "undefined";
inline constexpr std::string_view litTrue = "true";
inline constexpr std::string_view litFalse = "false";
inline constexpr std::string_view litYes = "yes";
inline constexpr std::string_view litNo = "no";
inline constexpr std::string_view litNumberSeparator = ". ";
inline constexpr std::string_view litEmptyPicture = "empty.bmp";
inline constexpr std::string_view litIconLibrary = "Dream Library";
inline constexpr std::string_view litIconDirectory = "Dream Directory";
inline constexpr std::string_view litIconFile = "Dream File";
inline constexpr std::string_view litIconNight = "One Night";
inline constexpr std::string_view litIconDream = "One Dream";
inline constexpr std::string_view litJournalDocType = "<!DOCTYPE vel_mora SYSTEM \"../vel_mora.dtd\">";

// The labels a dream can carry: label1 .. label4, captioned by the library's first four `label`s.
inline constexpr int kLabelCount = 4;

// The stored energy level: 0 is energy +1, the middle 0, the maximum -1 (the track bar's range).
inline constexpr int kEnergyMaximum = 200;
inline constexpr int kEnergyMiddle = kEnergyMaximum / 2;

// The current label attributes and the older names they replace, by flag (1 to kLabelCount).
inline constexpr std::string_view attrLabels[kLabelCount] = {attrLabel1, attrLabel2, attrLabel3, attrLabel4};
inline constexpr std::string_view attrOlderLabels[kLabelCount] = {attrLucidDream, attrAstralProjection, attrOutOfBody,
                                                        attrOtherExperience};
