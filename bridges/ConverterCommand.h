// How the external DWG converter is called, decided without starting it.
//
// The converter is an outside program that the user registers. It takes seven arguments: the
// input folder, the output folder, the output release "ACAD2000", the output type "DXF", two
// switches that stay "0", and the name of the input file. It writes the input's base name with
// the extension ".dxf", as a text DXF, into the output folder.
#pragma once

#include <string>
#include <vector>

namespace orvanta {

// The seven arguments for converting `dwgPath` into `outputFolder`. Folders carry no trailing
// slash (except the root folder itself).
std::vector<std::string> ConverterArguments(const std::string& dwgPath,
                                            const std::string& outputFolder);

// The file the converter leaves for `dwgPath`: the input's file name with its extension replaced
// by ".dxf", inside `outputFolder`.
std::string ConvertedDxfPath(const std::string& dwgPath, const std::string& outputFolder);

// The folder inside `convertedRoot` (a folder only this program writes) that the conversion of
// `sourcePath` goes to: one per source file, named by a hash of its full path, so that drawings
// of the same name in different folders, or differing only in case or extension, never share
// a converted file.
std::string ConversionFolder(const std::string& sourcePath, const std::string& convertedRoot);

// Deletes the converted drawings in the conversion folders of `convertedRoot` and the folders
// themselves once empty. Nothing else is touched: not a file the converter did not write there,
// and never a folder of the user's. Failures are ignored. Returns how many files were deleted.
int DeleteTempDxf(const std::string& convertedRoot);

} // namespace orvanta
