#pragma once

#include <string>
#include <vector>

namespace orvanta::cli {

// Each command takes the arguments after its name and returns the process exit status.
int InfoCommand(const std::vector<std::string>& args);
int RenderCommand(const std::vector<std::string>& args);
int ThumbnailCommand(const std::vector<std::string>& args);
int PrintCommand(const std::vector<std::string>& args);
int PreviewsCommand(const std::vector<std::string>& args);
int IndexCommand(const std::vector<std::string>& args);
int SearchCommand(const std::vector<std::string>& args);

} // namespace orvanta::cli
