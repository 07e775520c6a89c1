// `idut locate IMAGE...`: the symbols of images located.
#pragma once

#include <string>
#include <vector>

// Runs on the arguments after "locate"; returns the exit status (0 done, 1 an image could
// not be read or searched, 2 bad usage).
int idut_locateCommand(const std::vector<std::string>& args);
