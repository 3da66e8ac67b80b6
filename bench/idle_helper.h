#pragma once
// Stand-ins for the main menu's surroundings when it is opened by a program
// of its own (the benchmark, the documentation's pictures): no sound device,
// and an interface whose operations are never called.

#include "toolserver/com/qghelper_interface.h"
#include "frontend/picture_button/wave_player.h"

namespace qgu::bench {

// Plays nothing: the time of a sound device is not the window's.
class SilentWaves : public qgu::toolserver::IWavePlayer {
 public:
  bool Play(const qgu::toolserver::WaveRequest&) override { return true; }
  void StopAll() override {}
};

// The interface the menu would call back; nothing is clicked here.
class IdleHelper final : public qgu::com::IQuoziHelper {
 public:
  using HRESULT = qgu::com::HRESULT;
  using BSTR = qgu::com::BSTR;
  HRESULT QueryInterface(const qgu::com::IID&, void**) override { return qgu::com::E_NOINTERFACE; }
  qgu::com::ULONG AddRef() override { return 1; }
  qgu::com::ULONG Release() override { return 1; }
  HRESULT GetTypeInfoCount(qgu::com::UINT*) override { return qgu::com::E_NOTIMPL; }
  HRESULT GetTypeInfo(qgu::com::UINT, qgu::com::LCID, qgu::com::ITypeInfo**) override { return qgu::com::E_NOTIMPL; }
  HRESULT GetIDsOfNames(const qgu::com::IID&, qgu::com::OLECHAR**, qgu::com::UINT, qgu::com::LCID,
                        qgu::com::DISPID*) override {
    return qgu::com::E_NOTIMPL;
  }
  HRESULT Invoke(qgu::com::DISPID, const qgu::com::IID&, qgu::com::LCID, qgu::com::WORD, qgu::com::DISPPARAMS*,
                 qgu::com::VARIANT*, qgu::com::EXCEPINFO*, qgu::com::UINT*) override {
    return qgu::com::E_NOTIMPL;
  }
  HRESULT SelectTeams(BSTR*, BSTR*, int32_t*, int32_t*, int32_t*, int32_t*) override { return qgu::com::E_NOTIMPL; }
  HRESULT DisplayEOGStats(BSTR, BSTR, BSTR, BSTR) override { return qgu::com::E_NOTIMPL; }
  HRESULT ImportRom(BSTR) override { return qgu::com::E_NOTIMPL; }
  HRESULT EditTeams(BSTR) override { return qgu::com::E_NOTIMPL; }
  HRESULT ShowAbout() override { return qgu::com::E_NOTIMPL; }
  HRESULT ShowMain(int32_t*, BSTR*, BSTR*, int32_t*, int32_t*, int32_t*, int32_t*) override {
    return qgu::com::E_NOTIMPL;
  }
};

}  // namespace qgu::bench
