#pragma once
// A simulated VPN adapter shared by the simulated dialer in the client and
// the stand-in rasdial: files in one folder (TARVO_SIM_DIR, by default
// C:\tarvo-sim) that the tests can also read and change.
//   adapter          "<handle> <address>" while the simulated tunnel is up
//   next-dial-error  a number: the next dial fails with it (then the file goes)
//   dial-error       a number: every dial fails with it while the file is there
//   dial-delay-ms    a number: every dial takes that long
//   dials            one line "<handle> <result>" per dial that returned
//   dial-log         "begin <handle>" as a dial starts, "end <handle> <result>"
//                    as it returns, in the order they happened

#include <cstdint>
#include <optional>
#include <string>

namespace tarvo::simulation {

struct SimulatedAdapter {
  std::uintptr_t handle = 0;
  std::wstring address;
};

std::wstring StateFolder();
std::optional<SimulatedAdapter> ReadAdapter();
void WriteAdapter(const SimulatedAdapter& adapter);
// Drops the tunnel whatever dialled it (the command-line hang-up).
void DropAdapter();
// Drops it only when `handle` is the connection that is up.
void DropAdapterOf(std::uintptr_t handle);
std::optional<int> TakeNextDialError();
std::optional<int> StandingDialError();
void RecordDialStart(std::uintptr_t handle);
void RecordDial(std::uintptr_t handle, int result);
int DialDelayMs();

}  // namespace tarvo::simulation
