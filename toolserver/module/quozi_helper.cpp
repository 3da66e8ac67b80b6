#include "toolserver/module/quozi_helper.h"


#include "toolserver/com/bstr.h"
#include "toolserver/module/guarded_call.h"
#include "toolserver/module/helper_type_info.h"
#include "toolserver/module/module_state.h"

namespace qgu::toolserver {
namespace {

using namespace qgu::com;

constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHresult(0x80020001);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = MakeHresult(0x8002000F);

const OperationInfo* FindOperation(DISPID id) {
  for (const OperationInfo& operation : kOperations) {
    if (operation.id == id) return &operation;
  }
  return nullptr;
}

std::string TextOf(BSTR text) { return text == nullptr ? std::string() : Utf8(std::u16string_view(text, BstrLength(text))); }

// Invoke's arguments in type library order (COM passes the last one first),
// each checked for the type its parameter takes.
class Arguments {
 public:
  Arguments(DISPPARAMS& params, UINT* argumentError) : params_(params), argumentError_(argumentError) {}

  HRESULT Text(UINT index, BSTR& text) {
    VARIANT& argument = At(index);
    if (argument.vt == VT_BSTR) {
      text = argument.bstrVal;
    } else if (argument.vt == (VT_BSTR | VT_BYREF) && argument.pbstrVal != nullptr) {
      text = *argument.pbstrVal;
    } else {
      return Mismatch(index);
    }
    return S_OK;
  }

  HRESULT TextOut(UINT index, BSTR*& text) {
    VARIANT& argument = At(index);
    if (argument.vt != (VT_BSTR | VT_BYREF) || argument.pbstrVal == nullptr) return Mismatch(index);
    text = argument.pbstrVal;
    return S_OK;
  }

  // A 32-bit int by reference, as VT_I4 or as VT_INT.
  HRESULT NumberOut(UINT index, int32_t*& number) {
    VARIANT& argument = At(index);
    const bool number32 = argument.vt == (VT_I4 | VT_BYREF) || argument.vt == (VT_INT | VT_BYREF);
    if (!number32 || argument.plVal == nullptr) return Mismatch(index);
    number = argument.plVal;
    return S_OK;
  }

 private:
  VARIANT& At(UINT index) { return params_.rgvarg[params_.cArgs - 1 - index]; }
  HRESULT Mismatch(UINT index) {
    if (argumentError_ != nullptr) *argumentError_ = params_.cArgs - 1 - index;
    return DISP_E_TYPEMISMATCH;
  }

  DISPPARAMS& params_;
  UINT* argumentError_;
};

}  // namespace

CQuoziHelper::CQuoziHelper() : apartment_(std::this_thread::get_id()) { ObjectCreated(); }

CQuoziHelper::~CQuoziHelper() { ObjectDestroyed(); }

HRESULT CQuoziHelper::QueryInterface(const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IQuoziHelper) {
    *object = static_cast<IQuoziHelper*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CQuoziHelper::AddRef() { return ++references_; }

ULONG CQuoziHelper::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT CQuoziHelper::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT CQuoziHelper::GetTypeInfo(UINT index, LCID /*locale*/, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  *info = NewHelperTypeInfo();
  return *info != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CQuoziHelper::GetIDsOfNames(const IID& iid, OLECHAR** names, UINT nameCount, LCID /*locale*/, DISPID* ids) {
  if (!(iid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return Guarded([&] { return HelperIdsOfNames(names, nameCount, ids); });
}

HRESULT CQuoziHelper::Invoke(DISPID member, const IID& iid, LCID /*locale*/, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* /*exception*/, UINT* argumentError) {
  return Guarded([&] { return Dispatch(member, iid, flags, params, result, argumentError); });
}

HRESULT CQuoziHelper::Dispatch(DISPID member, const IID& iid, WORD flags, DISPPARAMS* params, VARIANT* result,
                               UINT* argumentError) {
  if (!(iid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const OperationInfo* operation = FindOperation(member);
  if (operation == nullptr || (flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
  if (params == nullptr) return E_INVALIDARG;
  if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params->cArgs < operation->parameterCount) return DISP_E_PARAMNOTOPTIONAL;
  if (params->cArgs > operation->parameterCount || (params->cArgs > 0 && params->rgvarg == nullptr)) {
    return DISP_E_BADPARAMCOUNT;
  }
  if (result != nullptr) result->vt = VT_EMPTY;

  Arguments arguments(*params, argumentError);
  HRESULT checked = S_OK;
  const auto check = [&](HRESULT step) {
    if (Succeeded(checked)) checked = step;
  };
  switch (member) {
    case DISPID_SelectTeams: {
      BSTR* team1 = nullptr;
      BSTR* team2 = nullptr;
      int32_t* numbers[4] = {};
      check(arguments.TextOut(0, team1));
      check(arguments.TextOut(1, team2));
      for (UINT i = 0; i < 4; ++i) check(arguments.NumberOut(2 + i, numbers[i]));
      if (Failed(checked)) return checked;
      return SelectTeams(team1, team2, numbers[0], numbers[1], numbers[2], numbers[3]);
    }
    case DISPID_DisplayEOGStats: {
      BSTR texts[4] = {};
      for (UINT i = 0; i < 4; ++i) check(arguments.Text(i, texts[i]));
      if (Failed(checked)) return checked;
      return DisplayEOGStats(texts[0], texts[1], texts[2], texts[3]);
    }
    case DISPID_ImportRom:
    case DISPID_EditTeams: {
      BSTR folder = nullptr;
      check(arguments.Text(0, folder));
      if (Failed(checked)) return checked;
      return member == DISPID_ImportRom ? ImportRom(folder) : EditTeams(folder);
    }
    case DISPID_ShowAbout: return ShowAbout();
    case DISPID_ShowMain: {
      int32_t* selection = nullptr;
      BSTR* home = nullptr;
      BSTR* away = nullptr;
      int32_t* numbers[4] = {};
      check(arguments.NumberOut(0, selection));
      check(arguments.TextOut(1, home));
      check(arguments.TextOut(2, away));
      for (UINT i = 0; i < 4; ++i) check(arguments.NumberOut(3 + i, numbers[i]));
      if (Failed(checked)) return checked;
      return ShowMain(selection, home, away, numbers[0], numbers[1], numbers[2], numbers[3]);
    }
    default: return DISP_E_MEMBERNOTFOUND;
  }
}

template <class Tool>
HRESULT CQuoziHelper::RunTool(Tool&& tool) {
  if (std::this_thread::get_id() != apartment_) return RPC_E_WRONG_THREAD;
  return Guarded([&] {
    EnsureApplication();
    tool();
    return S_OK;
  });
}

HRESULT CQuoziHelper::SelectTeams(BSTR* team1, BSTR* team2, int32_t* qtrlen, int32_t* homecontrol,
                                  int32_t* awaycontrol, int32_t* weather) {
  if (team1 == nullptr || team2 == nullptr || qtrlen == nullptr || homecontrol == nullptr || awaycontrol == nullptr ||
      weather == nullptr) {
    return E_POINTER;
  }
  return RunTool([&] {
    const GameChoice game = tools_.SelectTeams();
    *team1 = AllocBstrUtf8(game.home);
    *team2 = AllocBstrUtf8(game.away);
    *qtrlen = game.quarterLength;
    *homecontrol = game.homeControl;
    *awaycontrol = game.awayControl;
    *weather = game.weather;
  });
}

HRESULT CQuoziHelper::DisplayEOGStats(BSTR home_stats, BSTR away_stats, BSTR home_score, BSTR away_score) {
  return RunTool(
      [&] { tools_.DisplayEogStats(TextOf(home_stats), TextOf(away_stats), TextOf(home_score), TextOf(away_score)); });
}

HRESULT CQuoziHelper::ImportRom(BSTR current_dir) {
  return RunTool([&] { tools_.ImportRom(TextOf(current_dir)); });
}

HRESULT CQuoziHelper::EditTeams(BSTR current_dir) {
  return RunTool([&] { tools_.EditTeams(TextOf(current_dir)); });
}

HRESULT CQuoziHelper::ShowAbout() {
  return RunTool([&] { tools_.ShowAbout(); });
}

HRESULT CQuoziHelper::ShowMain(int32_t* selection, BSTR* home, BSTR* away, int32_t* qtrlen, int32_t* homecontrol,
                               int32_t* awaycontrol, int32_t* weather) {
  if (selection == nullptr || home == nullptr || away == nullptr || qtrlen == nullptr || homecontrol == nullptr ||
      awaycontrol == nullptr || weather == nullptr) {
    return E_POINTER;
  }
  return RunTool([&] {
    *selection = -1;
    const MainMenuOutcome outcome = tools_.ShowMain(*this);
    *selection = outcome.selection;
    if (outcome.selection != 1) return;
    *qtrlen = outcome.game.quarterLength;
    *homecontrol = outcome.game.homeControl;
    *awaycontrol = outcome.game.awayControl;
    *weather = outcome.game.weather;
    *home = AllocBstrUtf8(outcome.game.home);
    *away = AllocBstrUtf8(outcome.game.away);
  });
}

}  // namespace qgu::toolserver
