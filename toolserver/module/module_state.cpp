#include "toolserver/module/module_state.h"

#include <QApplication>
#include <atomic>
#include <memory>

namespace qgu::toolserver {
namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> locks{0};

// QApplication keeps references to argc and argv for its whole life.
int applicationArgc = 1;
char applicationName[] = "qghelper";
char* applicationArgv[] = {applicationName, nullptr};
std::unique_ptr<QApplication> ownApplication;

void ReleaseApplicationWhenIdle() {
  if (ModuleIdle() && ownApplication) ownApplication.reset();
}

}  // namespace

void ObjectCreated() { ++liveObjects; }

void ObjectDestroyed() {
  --liveObjects;
  ReleaseApplicationWhenIdle();
}

void LockModule() { ++locks; }

void UnlockModule() {
  --locks;
  ReleaseApplicationWhenIdle();
}

bool ModuleIdle() { return liveObjects == 0 && locks == 0; }

void EnsureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  ownApplication = std::make_unique<QApplication>(applicationArgc, applicationArgv);
}

}  // namespace qgu::toolserver
