#pragma once
// QuoziHelper, the tool server's one class: reference counting, the
// interface lookup, IDispatch by DISPID, and the six operations, each handed
// to HelperTools on the thread that made the object (apartment model).

#include <atomic>
#include <thread>

#include "toolserver/com/qghelper_interface.h"
#include "toolserver/helper_tools.h"

namespace qgu::toolserver {

class CQuoziHelper final : public com::IQuoziHelper {
 public:
  CQuoziHelper();
  CQuoziHelper(const CQuoziHelper&) = delete;
  CQuoziHelper& operator=(const CQuoziHelper&) = delete;

  com::HRESULT QueryInterface(const com::IID& iid, void** object) override;
  com::ULONG AddRef() override;
  com::ULONG Release() override;

  com::HRESULT GetTypeInfoCount(com::UINT* count) override;
  com::HRESULT GetTypeInfo(com::UINT index, com::LCID locale, com::ITypeInfo** info) override;
  com::HRESULT GetIDsOfNames(const com::IID& iid, com::OLECHAR** names, com::UINT nameCount, com::LCID locale,
                             com::DISPID* ids) override;
  com::HRESULT Invoke(com::DISPID member, const com::IID& iid, com::LCID locale, com::WORD flags,
                      com::DISPPARAMS* params, com::VARIANT* result, com::EXCEPINFO* exception,
                      com::UINT* argumentError) override;

  com::HRESULT SelectTeams(com::BSTR* team1, com::BSTR* team2, int32_t* qtrlen, int32_t* homecontrol,
                           int32_t* awaycontrol, int32_t* weather) override;
  com::HRESULT DisplayEOGStats(com::BSTR home_stats, com::BSTR away_stats, com::BSTR home_score,
                               com::BSTR away_score) override;
  com::HRESULT ImportRom(com::BSTR current_dir) override;
  com::HRESULT EditTeams(com::BSTR current_dir) override;
  com::HRESULT ShowAbout() override;
  com::HRESULT ShowMain(int32_t* selection, com::BSTR* home, com::BSTR* away, int32_t* qtrlen, int32_t* homecontrol,
                        int32_t* awaycontrol, int32_t* weather) override;

 private:
  ~CQuoziHelper();
  com::HRESULT Dispatch(com::DISPID member, const com::IID& iid, com::WORD flags, com::DISPPARAMS* params,
                        com::VARIANT* result, com::UINT* argumentError);
  // Runs one tool on the object's thread; exceptions never cross the interface.
  template <class Tool>
  com::HRESULT RunTool(Tool&& tool);

  std::atomic<com::ULONG> references_{1};
  std::thread::id apartment_;
  HelperTools tools_;
};

}  // namespace qgu::toolserver
