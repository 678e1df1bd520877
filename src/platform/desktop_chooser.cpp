#include "platform/desktop_chooser.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace qv::platform {

namespace {

constexpr size_t kMaxOutput = size_t{1} << 20;

bool onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string dirs = path;
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t colon = dirs.find(':', start);
    const std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return false;
}

std::string trimLine(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

}  // namespace

std::string RunProgramForOutput(const std::string& program, const std::vector<std::string>& arguments, int& status) {
  status = -1;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  std::string out;
  if (rc == 0) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) != 0) {
      if (n < 0) {
        if (errno == EINTR) continue;
        break;
      }
      if (out.size() < kMaxOutput) out.append(buffer, size_t(n));
    }
    int raw = 0;
    while (waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(raw)) status = WEXITSTATUS(raw);
  }
  close(pipeFds[0]);
  return out;
}

std::string DesktopChooserProgram() {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!(display && *display) && !(wayland && *wayland)) return "";
  for (const char* program : {"zenity", "kdialog"})
    if (onPath(program)) return program;
  return "";
}

std::optional<std::string> DesktopFileChooser(bool save, const std::vector<std::pair<std::string, std::string>>& filters,
                                              const std::string& startName) {
  const std::string program = DesktopChooserProgram();
  if (program.empty()) return std::nullopt;
  std::vector<std::string> args;
  const std::string start = (std::filesystem::current_path() / startName).string();
  if (program == "zenity") {
    args = {"--file-selection", "--filename=" + start};
    if (save) args.push_back("--save"), args.push_back("--confirm-overwrite");
    for (const auto& [description, patterns] : filters) {
      std::string list;
      for (char c : patterns) list += c == ';' ? ' ' : c;
      args.push_back("--file-filter=" + description + " | " + list);
    }
  } else {
    std::string filterText;
    for (const auto& [description, patterns] : filters) {
      if (!filterText.empty()) filterText += "\n";
      std::string list;
      for (char c : patterns) list += c == ';' ? ' ' : c;
      filterText += list + "|" + description;
    }
    args = {save ? "--getsavefilename" : "--getopenfilename", start};
    if (!filterText.empty()) args.push_back(filterText);
  }
  int status = 0;
  const std::string out = trimLine(RunProgramForOutput(program, args, status));
  if (status < 0) return std::nullopt;
  return status == 0 ? out : std::string();
}

std::optional<std::string> DesktopDirectoryChooser(const std::string& caption, const std::string& start) {
  const std::string program = DesktopChooserProgram();
  if (program.empty()) return std::nullopt;
  std::vector<std::string> args;
  if (program == "zenity") {
    args = {"--file-selection", "--directory", "--filename=" + start + "/"};
    if (!caption.empty()) args.push_back("--title=" + caption);
  } else {
    args = {"--getexistingdirectory", start};
    if (!caption.empty()) args.push_back("--title"), args.push_back(caption);
  }
  int status = 0;
  const std::string out = trimLine(RunProgramForOutput(program, args, status));
  if (status < 0) return std::nullopt;
  return status == 0 ? out : std::string();
}

std::optional<int> DesktopColourChooser(int rgb) {
  const std::string program = DesktopChooserProgram();
  if (program.empty()) return std::nullopt;
  char hex[8];
  std::snprintf(hex, sizeof hex, "#%06X", rgb & 0xFFFFFF);
  const std::vector<std::string> args = program == "zenity" ? std::vector<std::string>{"--color-selection", std::string("--color=") + hex}
                                                           : std::vector<std::string>{"--getcolor", "--default", hex};
  int status = 0;
  const std::string out = trimLine(RunProgramForOutput(program, args, status));
  if (status < 0) return std::nullopt;
  if (status != 0) return -1;
  unsigned r = 0, g = 0, b = 0;
  // zenity answers "rgb(r,g,b)" (or "rgba(...)"), kdialog "#rrggbb".
  if (std::sscanf(out.c_str(), "rgb(%u,%u,%u)", &r, &g, &b) == 3 || std::sscanf(out.c_str(), "rgba(%u,%u,%u", &r, &g, &b) == 3 ||
      std::sscanf(out.c_str(), "#%2x%2x%2x", &r, &g, &b) == 3)
    return int((r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF));
  return -1;
}

}  // namespace qv::platform
