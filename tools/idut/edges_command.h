// `idut edges`: one edge operator of the library run over an image, its result written as a
// picture for a user to look at.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

// Runs the command on the arguments after "edges"; returns the exit status (0 done, 1 the
// image could not be read, processed or written, 2 bad usage).
int idut_edgesCommand(const std::vector<std::string>& args);
void idut_printEdgesUsage(FILE* out);
