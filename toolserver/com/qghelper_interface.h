#pragma once
// The tool server's one class, QuoziHelper, and its dual interface
// IQuoziHelper: six modal league tools in this slot order after the seven
// IUnknown and IDispatch slots. Every operation returns S_OK once its dialog
// has closed; results come back through the out-parameters. Texts handed out
// are new BSTRs owned by the caller (free them with the module's
// SysFreeString); whatever the caller had left in an out-parameter stays the
// caller's.

#include <array>
#include <string_view>

#include "toolserver/com/com_types.h"

namespace qgu::com {

// CLSID_QuoziHelper {A4FC5A38-7A26-40C9-9B86-F90FB089A051}
inline constexpr CLSID CLSID_QuoziHelper = {0xA4FC5A38, 0x7A26, 0x40C9,
                                            {0x9B, 0x86, 0xF9, 0x0F, 0xB0, 0x89, 0xA0, 0x51}};
// IID_IQuoziHelper {D078A12F-54F6-4C1E-A8CE-98B38122DEC0}
inline constexpr IID IID_IQuoziHelper = {0xD078A12F, 0x54F6, 0x4C1E,
                                         {0xA8, 0xCE, 0x98, 0xB3, 0x81, 0x22, 0xDE, 0xC0}};
// LIBID_QGHELPERLib {4852C9B1-B835-4F58-B5A9-13DA32C58673}
inline constexpr GUID LIBID_QGHELPERLib = {0x4852C9B1, 0xB835, 0x4F58,
                                           {0xB5, 0xA9, 0x13, 0xDA, 0x32, 0xC5, 0x86, 0x73}};

inline constexpr std::string_view kProgId = "Qghelper.QuoziHelper.1";
inline constexpr std::string_view kVersionIndependentProgId = "Qghelper.QuoziHelper";
inline constexpr std::string_view kClassName = "QuoziHelper Class";
inline constexpr std::string_view kInterfaceHelp = "IQuoziHelper Interface";
inline constexpr std::string_view kTypeLibraryName = "QGHELPERLib";
inline constexpr std::string_view kTypeLibraryHelp = "qghelper 1.0 Type Library";
inline constexpr std::string_view kTypeLibraryVersion = "1.0";
inline constexpr std::string_view kThreadingModel = "Apartment";
inline constexpr std::string_view kProjectName = "qghelper";  // string resource 100
inline constexpr std::string_view kModuleDescription = "qghelper Module";
inline constexpr std::string_view kFileVersion = "1.0.0.1";

enum HelperDispId : DISPID {
  DISPID_SelectTeams = 1,
  DISPID_DisplayEOGStats = 2,
  DISPID_ImportRom = 3,
  DISPID_EditTeams = 4,
  DISPID_ShowAbout = 5,
  DISPID_ShowMain = 6,
};

// Names and parameter names as the type library lists them.
struct OperationInfo {
  DISPID id;
  std::string_view name;
  std::array<std::string_view, 7> parameters;
  UINT parameterCount;
};

inline constexpr std::array<OperationInfo, 6> kOperations = {{
    {DISPID_SelectTeams, "SelectTeams", {"team1", "team2", "qtrlen", "homecontrol", "awaycontrol", "weather"}, 6},
    {DISPID_DisplayEOGStats, "DisplayEOGStats", {"home_stats", "away_stats", "home_score", "away_score"}, 4},
    {DISPID_ImportRom, "ImportRom", {"current_dir"}, 1},
    {DISPID_EditTeams, "EditTeams", {"current_dir"}, 1},
    {DISPID_ShowAbout, "ShowAbout", {}, 0},
    {DISPID_ShowMain, "ShowMain", {"selection", "home", "away", "qtrlen", "homecontrol", "awaycontrol", "weather"}, 7},
}};

class IQuoziHelper : public IDispatch {
 public:
  // The single game dialog. team1/team2: the home and away team record paths,
  // both empty when no game was chosen; qtrlen in minutes; controls 0 MAN,
  // 1 COA, 2 COM; weather 0 Clear, 1 Rain, 2 Snow.
  virtual HRESULT SelectTeams(BSTR* team1, BSTR* team2, int32_t* qtrlen, int32_t* homecontrol,
                              int32_t* awaycontrol, int32_t* weather) = 0;
  // The end-of-game report of two team statistics strings and score texts.
  virtual HRESULT DisplayEOGStats(BSTR home_stats, BSTR away_stats, BSTR home_score, BSTR away_score) = 0;
  // Imports teams of a cartridge image into a league under current_dir.
  virtual HRESULT ImportRom(BSTR current_dir) = 0;
  // Picks a league under current_dir and opens the team editor on it.
  virtual HRESULT EditTeams(BSTR current_dir) = 0;
  virtual HRESULT ShowAbout() = 0;
  // The main menu. selection: -1 after "E x i t", 1 when a single game was
  // chosen (then the other six are written too), 0 after a failed call.
  virtual HRESULT ShowMain(int32_t* selection, BSTR* home, BSTR* away, int32_t* qtrlen, int32_t* homecontrol,
                           int32_t* awaycontrol, int32_t* weather) = 0;

 protected:
  ~IQuoziHelper() = default;
};

}  // namespace qgu::com
