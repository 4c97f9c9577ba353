#pragma once

// Where the Windows paths the system names ("C:\QORDA", "c:\qorda\saga") live,
// and file names matched without regard to letter case, as on Windows.

#include <filesystem>
#include <optional>
#include <string_view>

namespace pontexa::tables {

// The folder that stands for "C:\": on Windows C:\ itself; elsewhere
// $PONTEXA_UNIDAD_C, else $WINEPREFIX/drive_c, else ~/.wine/drive_c.
std::filesystem::path DriveCRoot();

// A Windows path on drive C ("c:\qorda\saga") mapped onto DriveCRoot(). Each
// component that exists is found without regard to letter case; components
// that do not exist are appended as written. Nothing is created.
std::filesystem::path MapWindowsPath(std::string_view windowsPath);

// The exchange folder "C:\QORDA" mapped as above. It is never created; the
// callers check that it exists.
std::filesystem::path ExchangeFolder();

// The entry of `folder` whose name equals `fileName` ignoring letter case
// (an exact match wins); nothing when there is none.
std::optional<std::filesystem::path> FindIgnoringCase(const std::filesystem::path& folder,
                                                      std::string_view fileName);

// "SOLUC" -> the existing SOLUC.DBF (any letter case) in `folder`.
std::optional<std::filesystem::path> FindTableFile(const std::filesystem::path& folder,
                                                   std::string_view tableName);

}  // namespace pontexa::tables
