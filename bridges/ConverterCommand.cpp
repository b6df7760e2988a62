#include "bridges/ConverterCommand.h"

#include <filesystem>

namespace orvanta {

namespace {

std::string WithoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

std::vector<std::string> ConverterArguments(const std::string& dwgPath,
                                            const std::string& outputFolder) {
    const std::filesystem::path input(dwgPath);
    const std::filesystem::path parent = input.parent_path();
    return {WithoutTrailingSlash(parent.empty() ? std::string(".") : parent.string()),
            WithoutTrailingSlash(outputFolder),
            "ACAD2000",
            "DXF",
            "0",
            "0",
            input.filename().string()};
}

std::string ConverterParameterText(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        if (!text.empty()) text += ' ';
        text += '"' + argument + '"';
    }
    return text;
}

std::string ConvertedDxfPath(const std::string& dwgPath, const std::string& outputFolder) {
    std::filesystem::path name = std::filesystem::path(dwgPath).filename();
    name.replace_extension(".dxf");
    return (std::filesystem::path(outputFolder) / name).string();
}

} // namespace orvanta
