// The process's private temporary directory: where it is made, file names inside it, and its
// removal at exit.
//
// Base: the first line of "tempdir.txt" beside the executable; else the environment variable
// "temp" (or "TEMP"), then "tmp" (or "TMP"), then TMPDIR; else "C:\temp", which is the host's
// temporary directory. The base is a game-style path and goes through the host path mapper.
// The directory is base + "/qv_ttt_" + a number below 100000, made with one atomic mkdir so that
// two runners never share one. If the base fails, "C:\temp" and then the working directory are
// tried.
#pragma once

#include <functional>
#include <optional>
#include <random>
#include <string>

namespace qv::data {

using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
// Maps a game path (\\ separators, drive letters) to a host path.
using PathMapper = std::function<std::string(const std::string& gamePath)>;

// The base named by "tempdir.txt" in `executableDir` or by the environment (game-style path;
// "C:\temp" when nothing names one).
std::string ChooseTempBase(const std::string& executableDir, const EnvironmentLookup& env);

// Makes a fresh "qv_ttt_<n>" directory under the host path `base` (creating missing parents of
// base). Returns its path, or nothing after too many names in use or when the base cannot be made.
std::optional<std::string> MakeTempDirectoryUnder(const std::string& base, std::mt19937& rng);

// Process start: chooses the base, tries it, then "C:\temp", then the working directory. Records
// the result; false when no directory could be made (the caller shows the message and goes on).
bool CreateTempDirectory(const std::string& executableDir, const EnvironmentLookup& env, const PathMapper& toHost);

// The directory (empty until made, or when none could be made) and its base.
const std::string& TempDirectory();
const std::string& TempBase();

// A name in the temporary directory that does not exist yet: dir + "/a" + number + suffix, with
// the number drawn from 0..99999. Empty when there is no temporary directory (so that nothing is
// ever written to the file system root).
std::string TempFileName(const std::string& suffix);

// Removes `dir` with everything in it, but only when it lies inside `root` (both host paths).
// Symbolic links are removed as links, never followed.
void RemoveDirectoryInside(const std::string& dir, const std::string& root);

// Process exit: removes the temporary directory and forgets it.
void RemoveTempDirectory();

// Test support: forget the recorded directory without touching the disk.
void ResetTempDirectoryForTests();

}  // namespace qv::data
