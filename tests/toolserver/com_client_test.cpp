// A plain client of the tool server: it loads libqghelper.so, registers it
// into a registry file, creates QuoziHelper from its ProgID through that file
// and the class factory, calls every operation (answering their dialogs) and
// checks what comes back, the reference counts and the unload question.
// Unregistering leaves the registry file as it was.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>

#include "cartridge/builder/embedded_image.h"
#include "league/default_league.h"
#include "tests/support/gui_test_support.h"
#include "tests/support/temp_folder.h"
#include "tests/toolserver/modal_script.h"
#include "toolserver/com/com_client.h"
#include "toolserver/com/server_registration.h"

namespace qgu::com {
namespace {

namespace fs = std::filesystem;
using testing::ClickButtonText;
using testing::Control;
using testing::ModalScript;

// Someone else's entries: they must come through untouched.
constexpr std::string_view kOtherServers =
    "; registered by another program\n[HKEY_CLASSES_ROOT\\Other.Thing]\n@=Other Thing Class\n\n"
    "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32]\n@=/opt/other.so\n";

void PickTeams(QWidget* dialog, int homeRow, int awayRow) {
  for (int list : {202, 204}) Control<QComboBox>(dialog, list)->setCurrentIndex(0);
  Control<QListWidget>(dialog, 205)->setCurrentRow(homeRow);
  Control<QListWidget>(dialog, 203)->setCurrentRow(awayRow);
}

class ToolServerClient : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    config_ = new testing::TempFolder;
    ::setenv("XDG_CONFIG_HOME", config_->path().c_str(), 1);
    auto loaded = ComModule::Load(QGU_HELPER_MODULE);
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    module_ = std::move(loaded).value();
  }
  static void TearDownTestSuite() {
    module_.reset();
    delete config_;
  }

  void SetUp() override {
    // A working folder with the default league's 28 teams for the single game dialog.
    saved_ = fs::current_path();
    fs::current_path(work_.path());
    ASSERT_TRUE(league::EnsureDefaultLeague(".", cartridge::EmbeddedCartridgeImage()).ok());
    const auto embedded = cartridge::EmbeddedCartridgeImage();
    testing::WriteBytes(image_, std::string(embedded.begin(), embedded.end()));
  }
  void TearDown() override { fs::current_path(saved_); }

  static fs::path RegistryPath() { return config_->path() / "qgu" / "registry.ini"; }

  HelperObject Create(std::string_view progId = kProgId) {
    EXPECT_EQ(module_->DllRegisterServer(), S_OK);
    auto object = CreateQuoziHelper(progId, RegistryPath());
    EXPECT_TRUE(object.ok()) << object.error();
    return std::move(object).value();
  }
  std::string Take(BSTR text) { return ModuleText(module_, text).Utf8Text(); }

  static testing::TempFolder* config_;
  static std::shared_ptr<ComModule> module_;
  testing::TempFolder work_;
  fs::path image_ = work_ / "quozi.nes";
  fs::path saved_;
};

testing::TempFolder* ToolServerClient::config_ = nullptr;
std::shared_ptr<ComModule> ToolServerClient::module_;

TEST_F(ToolServerClient, RegisteringAndUnregisteringLeaveTheRegistryFileAsItWas) {
  for (const bool fileBefore : {true, false}) {
    fs::create_directories(RegistryPath().parent_path());
    fs::remove(RegistryPath());
    if (fileBefore) testing::WriteBytes(RegistryPath(), kOtherServers);
    ASSERT_EQ(module_->DllRegisterServer(), S_OK);
    ASSERT_EQ(module_->DllRegisterServer(), S_OK) << "registering twice changes nothing";
    auto registry = RegistryFile::Load(RegistryPath());
    ASSERT_TRUE(registry.ok());
    const RegistryFile& r = registry.value();
    const std::string clsid = "HKEY_CLASSES_ROOT\\CLSID\\{A4FC5A38-7A26-40C9-9B86-F90FB089A051}";
    EXPECT_EQ(r.Value("HKEY_CLASSES_ROOT\\Qghelper.QuoziHelper.1"), "QuoziHelper Class");
    EXPECT_EQ(r.Value("HKEY_CLASSES_ROOT\\Qghelper.QuoziHelper\\CurVer"), "Qghelper.QuoziHelper.1");
    EXPECT_EQ(r.Value(clsid + "\\InprocServer32"), fs::canonical(QGU_HELPER_MODULE).string());
    EXPECT_EQ(r.Value(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(r.Value(clsid + "\\VersionIndependentProgID"), "Qghelper.QuoziHelper");
    EXPECT_TRUE(r.HasKey(clsid + "\\Programmable"));
    EXPECT_EQ(r.Value(clsid + "\\TypeLib"), "{4852C9B1-B835-4F58-B5A9-13DA32C58673}");
    EXPECT_EQ(r.Value("HKEY_CLASSES_ROOT\\TypeLib\\{4852C9B1-B835-4F58-B5A9-13DA32C58673}\\1.0"),
              "qghelper 1.0 Type Library");
    ASSERT_EQ(module_->DllUnregisterServer(), S_OK);
    if (fileBefore) {
      EXPECT_EQ(testing::ReadBytes(RegistryPath()), kOtherServers);
    } else {
      EXPECT_FALSE(fs::exists(RegistryPath()));
    }
  }
  EXPECT_FALSE(CreateQuoziHelper(kProgId, RegistryPath()).ok()) << "an unregistered class cannot be made";
}

TEST_F(ToolServerClient, ReferenceCountsInterfacesAndTheUnloadQuestion) {
  EXPECT_EQ(module_->DllCanUnloadNow(), S_OK);
  {
    HelperObject object = Create(kVersionIndependentProgId);
    IQuoziHelper* helper = object.helper.get();
    EXPECT_EQ(module_->DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(helper->AddRef(), 2u);
    EXPECT_EQ(helper->Release(), 1u);
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(helper->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(static_cast<void*>(dispatch), static_cast<void*>(helper));
    EXPECT_EQ(dispatch->Release(), 1u);
    void* none = helper;
    EXPECT_EQ(helper->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(module_->DllGetClassObject(CLSID_QuoziHelper, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(module_->DllGetClassObject(IID_IDispatch, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(helper), IID_IUnknown, &none), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->LockServer(1), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    object.helper.Reset();
    EXPECT_EQ(module_->DllCanUnloadNow(), S_FALSE) << "the lock keeps the module";
    IClassFactory* again = nullptr;
    ASSERT_EQ(module_->DllGetClassObject(CLSID_QuoziHelper, IID_IClassFactory, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again->LockServer(0), S_OK);
    EXPECT_EQ(again->Release(), 0u);
  }
  EXPECT_EQ(module_->DllCanUnloadNow(), S_OK);

  // Texts go through the module's own BSTR storage.
  BSTR text = module_->SysAllocString(u"Quozi");
  EXPECT_EQ(module_->SysStringLen(text), 5u);
  EXPECT_EQ(BstrUtf8(text), "Quozi");
  module_->SysFreeString(text);
  EXPECT_EQ(module_->SysStringLen(nullptr), 0u);
}

TEST_F(ToolServerClient, SelectTeamsReturnsTheChosenGameOrEmptyTextsAfterQuit) {
  HelperObject object = Create();
  ModalScript script;
  script
      .On("Single Game",
          [](QWidget* w) {
            PickTeams(w, 0, 3);
            Control<QLineEdit>(w, 225)->setText("12");
            Control<QRadioButton>(w, 221)->setChecked(true);
            Control<QRadioButton>(w, 224)->setChecked(true);
            Control<QRadioButton>(w, 323)->setChecked(true);
            Control<QPushButton>(w, 1)->click();
          })
      .On("Single Game",
          [](QWidget* w) {
            // A refused "P L A Y" takes what was typed and chosen; "Q u i t" then empties only the teams.
            Control<QLineEdit>(w, 225)->setText("7");
            Control<QRadioButton>(w, 221)->setChecked(true);
            Control<QPushButton>(w, 1)->click();
          })
      .On("QgUltra", [](QWidget* w) { ClickButtonText(w, "OK"); })
      .On("Single Game", [](QWidget* w) { Control<QPushButton>(w, 2)->click(); });
  BSTR team1 = nullptr, team2 = nullptr;
  int32_t quarter = 0, home = -1, away = -1, weather = -1;
  ASSERT_EQ(object.helper->SelectTeams(&team1, &team2, &quarter, &home, &away, &weather), S_OK);
  EXPECT_EQ(Take(team1).rfind("./qgu_lge/", 0), 0u);
  EXPECT_NE(Take(team2), "");
  EXPECT_EQ(quarter, 12);
  EXPECT_EQ(home, 2);
  EXPECT_EQ(away, 1);
  EXPECT_EQ(weather, 1);

  // The same through IDispatch, by DISPID with the arguments last to first; this time "Q u i t".
  VARIANT arguments[6];
  BSTR texts[2] = {};
  int32_t numbers[4] = {};
  for (int i = 0; i < 2; ++i) {
    arguments[5 - i].vt = VT_BSTR | VT_BYREF;
    arguments[5 - i].pbstrVal = &texts[i];
  }
  for (int i = 0; i < 4; ++i) {
    arguments[3 - i].vt = VT_I4 | VT_BYREF;
    arguments[3 - i].plVal = &numbers[i];
  }
  DISPPARAMS params{arguments, nullptr, 6, 0};
  ASSERT_EQ(object.helper->Invoke(DISPID_SelectTeams, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(Take(texts[0]), "");
  EXPECT_EQ(Take(texts[1]), "");
  EXPECT_EQ(numbers[0], 7) << "the quarter length as typed";
  EXPECT_EQ(numbers[1], 2) << "controls as last taken";
  EXPECT_EQ(numbers[2], 2);
  EXPECT_EQ(numbers[3], 0);
  EXPECT_TRUE(script.Finished()) << ::testing::PrintToString(script.Problems());
}

TEST_F(ToolServerClient, DispatchNamesAndArgumentChecks) {
  HelperObject object = Create();
  const auto ids = [&](std::vector<std::u16string> names) {
    std::vector<OLECHAR*> pointers;
    for (std::u16string& name : names) pointers.push_back(name.data());
    std::vector<DISPID> found(names.size(), 99);
    const HRESULT result = object.helper->GetIDsOfNames(IID_NULL, pointers.data(), static_cast<UINT>(pointers.size()),
                                                        0, found.data());
    return std::pair{result, found};
  };
  EXPECT_EQ(ids({u"showabout"}), (std::pair{S_OK, std::vector<DISPID>{DISPID_ShowAbout}}));
  EXPECT_EQ(ids({u"ShowMain", u"weather", u"home"}), (std::pair{S_OK, std::vector<DISPID>{6, 6, 1}}));
  EXPECT_EQ(ids({u"DisplayEOGStats", u"away_score"}), (std::pair{S_OK, std::vector<DISPID>{2, 3}}));
  EXPECT_EQ(ids({u"PlaySeason"}).first, DISP_E_UNKNOWNNAME);
  UINT count = 9;
  EXPECT_EQ(object.helper->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u) << "the type information of IQuoziHelper";

  VARIANT number;
  number.vt = VT_I4;
  number.lVal = 3;
  DISPPARAMS one{&number, nullptr, 1, 0};
  UINT wrong = 99;
  EXPECT_EQ(object.helper->Invoke(DISPID_ImportRom, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, &wrong),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(object.helper->Invoke(DISPID_ShowAbout, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(object.helper->Invoke(42, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
}

TEST_F(ToolServerClient, ReportImportEditAndAboutRunTheirDialogs) {
  HelperObject object = Create();
  const fs::path image = image_;
  ModalScript script;
  script.On("", [](QWidget* w) {
    EXPECT_NE(Control<QWidget>(w, 321), nullptr);
    Control<QPushButton>(w, 1)->click();
  });
  script.On("About.... Quozi Gridcrown Ultra", [](QWidget* w) { w->close(); });
  script.On("Open", [&](QWidget* w) {
    // As a person would: the file's name typed in, then "Open".
    w->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(image.string()));
    ClickButtonText(w, "Open");
  });
  script.On("Team Import", [](QWidget* w) {
    Control<QPushButton>(w, 1031)->click();
    Control<QPushButton>(w, 1032)->click();
  });
  script.On("League Data", [](QWidget* w) { Control<QPushButton>(w, 1036)->click(); });
  script.On("New League", [](QWidget* w) {
    Control<QLineEdit>(w, 1037)->setText("COM LEAGUE");
    ClickButtonText(w, "OK");
  });
  script.On("qgultra", [](QWidget* w) { ClickButtonText(w, "OK"); });
  script.On("Edit Teams", [](QWidget* w) { Control<QPushButton>(w, 230)->click(); });

  ModuleText home(module_, "HAWKS|amosBRANDT|20|10|1|1|150|"), away(module_, "OWLS|");
  ModuleText homeScore(module_, "24"), awayScore(module_, "7");
  EXPECT_EQ(object.helper->DisplayEOGStats(home.get(), away.get(), homeScore.get(), awayScore.get()), S_OK);
  EXPECT_EQ(object.helper->ShowAbout(), S_OK);
  ModuleText folder(module_, work_.path().string());
  EXPECT_EQ(object.helper->ImportRom(folder.get()), S_OK);
  EXPECT_EQ(object.helper->EditTeams(folder.get()), S_OK);
  EXPECT_TRUE(script.Finished()) << ::testing::PrintToString(script.Problems());
  int teams = 0;
  for (const auto& entry : fs::directory_iterator(work_ / "qgu_lge" / "COM LEAGUE")) teams += entry.path().extension() == ".dat";
  EXPECT_EQ(teams, 28);
}

TEST_F(ToolServerClient, ShowMainExitsWithMinusOneOrHandsBackTheSingleGame) {
  HelperObject object = Create();
  const auto visible = [](int id) { return [id](QWidget* w) { return Control<QWidget>(w, id)->isVisible(); }; };
  ModalScript script;
  script.On("Quozi Gridcrown ULTRA", [](QWidget* w) { Control<QPushButton>(w, 1004)->click(); })
      .On("Quozi Gridcrown ULTRA", [](QWidget* w) { Control<QPushButton>(w, 1000)->click(); })
      .OnceReady("Quozi Gridcrown ULTRA", visible(1006), [](QWidget* w) { Control<QPushButton>(w, 1006)->click(); })
      .On("Single Game", [](QWidget* w) {
        PickTeams(w, 1, 2);
        Control<QPushButton>(w, 1)->click();
      });

  int32_t selection = 5, quarter = 33, home = 33, away = 33, weather = 33;
  BSTR homeTeam = nullptr, awayTeam = nullptr;
  ASSERT_EQ(object.helper->ShowMain(&selection, &homeTeam, &awayTeam, &quarter, &home, &away, &weather), S_OK);
  EXPECT_EQ(selection, -1);
  EXPECT_EQ(homeTeam, nullptr);
  EXPECT_EQ(quarter, 33) << "left as the caller set it";

  ASSERT_EQ(object.helper->ShowMain(&selection, &homeTeam, &awayTeam, &quarter, &home, &away, &weather), S_OK);
  EXPECT_EQ(selection, 1);
  EXPECT_EQ(Take(homeTeam).rfind("./qgu_lge/Quozi League/", 0), 0u);
  EXPECT_EQ(Take(awayTeam).rfind("./qgu_lge/Quozi League/", 0), 0u);
  EXPECT_EQ(quarter, 5);
  EXPECT_EQ(home, 0);
  EXPECT_EQ(away, 2);
  EXPECT_EQ(weather, 0);
  EXPECT_TRUE(script.Finished()) << ::testing::PrintToString(script.Problems());
}

}  // namespace
}  // namespace qgu::com
