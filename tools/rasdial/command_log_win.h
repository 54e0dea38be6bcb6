#pragma once
// The record the tests read: one UTF-8 line per run,
//   <milliseconds since 1970-01-01 UTC> TAB <the full command line>
// appended to the file named by TARVO_RASDIAL_LOG (default C:\tarvo-test\rasdial.log).

#include <string_view>

namespace tarvo::rasdial {

// Best effort: a run that cannot record still does its work.
void RecordCommandLine(std::wstring_view commandLine);

}  // namespace tarvo::rasdial
