#pragma once
// What decides whether the module may be unloaded: live objects (helpers and
// class factories) and server locks. When the last goes, the Qt application
// object the module made for a client without one goes with it.

namespace qgu::toolserver {

void ObjectCreated();
void ObjectDestroyed();
void LockModule();
void UnlockModule();
// No object alive and no lock held.
bool ModuleIdle();

// Makes the Qt application object if the process has none; the module then
// owns it until it is idle again.
void EnsureApplication();

}  // namespace qgu::toolserver
