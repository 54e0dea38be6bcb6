#pragma once
// The remote-access phonebook file "temporarily_file" beside the program,
// written afresh at every start with the one entry the dial uses.

#include <filesystem>
#include <string>
#include <string_view>

namespace tarvo {

// The entry as text, lines ended by "\n".
std::wstring_view PhonebookText();
// The file's bytes: one byte per character, lines ended by CR LF, no BOM.
std::string PhonebookFileBytes();

std::filesystem::path PhonebookFilePath(const std::filesystem::path& programFolder);
// Failure (a read-only folder) is not an error for start-up; it just reports it.
bool WritePhonebookFile(const std::filesystem::path& programFolder);

}  // namespace tarvo
