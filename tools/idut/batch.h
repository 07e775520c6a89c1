// Batches of images for the commands that take several: folders expanded to the images
// below them, the images shared out among threads, each image's output printed in the
// order of the arguments, and a progress line on a terminal.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

// The usage lines of -j, of --max-pixels and of folders among the images, for the
// commands' help texts.
std::string idut_batchUsage();

// The value of -j: 1 to 256 threads; what it expects, for messages.
extern const char* const idut_jobsExpected;
bool idut_parseJobs(const std::string& text, int32_t* jobs);

// Replaces each folder among *images by the .pgm and .png files below it (any depth, the
// extension in any case, sorted by path); other arguments stay as given, so that a missing
// file is reported when its turn comes. False with the reason in *error when a folder
// cannot be listed or holds no image.
bool idut_expandImages(std::vector<std::string>* images, std::string* error);

// The threads that go over count images for -j jobs (0: one per core): 1 to count.
int32_t idut_batchWorkers(int32_t jobs, size_t count);

// The work on one image: its report goes to out, its errors to err. worker is the index of
// the calling thread, 0 .. idut_batchWorkers - 1, for state a thread must own. Returns
// false when the image failed.
using idut_imageWork =
    std::function<bool(int32_t worker, const std::string& path, FILE* out, FILE* err)>;

// Runs work over the images on idut_batchWorkers(jobs, images.size()) threads. Each
// image's output is held until the images before it are printed, then written out (its
// standard output, then its errors), so the output does not depend on the thread count.
// While it runs, stderr shows images done / total when it is a terminal and there are more
// than 8 images. Returns true when every image succeeded.
bool idut_runBatch(const std::vector<std::string>& images, int32_t jobs,
                   const idut_imageWork& work);
