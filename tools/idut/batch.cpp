// Batches of images: folders expanded, the images run on several threads with their output
// printed in order, and the progress line.
#include "batch.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "arguments.h"
#include "image_file.h"

namespace fs = std::filesystem;

namespace {

// Batches of more images than this show the progress line.
constexpr size_t quietBatch = 8;
constexpr int32_t barWidth = 30;

bool isImageName(const fs::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".pgm" || extension == ".png";
}

// Appends the image files below folder, sorted by path.
bool listFolder(const std::string& folder, std::vector<std::string>* images, std::string* error) {
  std::vector<std::string> found;
  std::error_code code;
  for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end;
       it.increment(code)) {
    std::error_code unreadable;  // a dangling link is no image, not an error
    if (isImageName(it->path()) && it->is_regular_file(unreadable))
      found.push_back(it->path().string());
  }
  if (code) {
    *error = "cannot list " + folder + ": " + code.message();
    return false;
  }
  if (found.empty()) {
    *error = folder + ": no .pgm or .png file in it";
    return false;
  }
  std::sort(found.begin(), found.end());
  images->insert(images->end(), found.begin(), found.end());
  return true;
}

// What one image printed, held until its turn.
struct imageResult {
  bool done = false;
  bool succeeded = false;
  std::string out;
  std::string err;
};

// A stream writing into memory.
class memoryStream {
 public:
  memoryStream() : file_(open_memstream(&buffer_, &size_)) {}
  ~memoryStream() {
    close();
    std::free(buffer_);
  }
  memoryStream(const memoryStream&) = delete;
  memoryStream& operator=(const memoryStream&) = delete;

  FILE* file() const { return file_; }
  // Closes the stream; what was written.
  std::string text() {
    close();
    return buffer_ ? std::string(buffer_, size_) : std::string();
  }

 private:
  void close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
  }

  char* buffer_ = nullptr;
  size_t size_ = 0;
  FILE* file_;
};

imageResult runOne(const idut_imageWork& work, int32_t worker, const std::string& path) {
  imageResult result;
  memoryStream out, err;
  if (out.file() && err.file()) {
    result.succeeded = work(worker, path, out.file(), err.file());
    result.out = out.text();
    result.err = err.text();
  } else {
    result.err = "idut: " + path + ": out of memory for its output\n";
  }
  result.done = true;
  return result;
}

// "[#####     ] 12/40 images" on stderr, redrawn in place; only on a terminal.
class progressLine {
 public:
  explicit progressLine(size_t total)
      : total_(total), shown_(total > quietBatch && isatty(STDERR_FILENO)) {}

  void draw(size_t done) {
    if (!shown_) return;
    const std::string bar(size_t(barWidth) * done / total_, '#');
    width_ = std::fprintf(stderr, "\r[%-*s] %zu/%zu images", barWidth, bar.c_str(), done, total_);
  }
  void clear() {
    if (width_ > 0) std::fprintf(stderr, "\r%*s\r", width_, "");
    width_ = 0;
  }

 private:
  size_t total_;
  bool shown_;
  int width_ = 0;  // characters on the line now
};

}  // namespace

std::string idut_batchUsage() {
  return "  -j N               threads, each taking the next image, 1 to 256 [one per core];\n"
         "                     the output keeps the order of the images\n"
         "  --max-pixels N     refuse images of more than N pixels [" +
         std::to_string(idut_defaultMaxPixels) +
         "]\n"
         "  IMAGE              a PGM or PNG file, or a folder: the .pgm and .png files below\n"
         "                     it, sorted by path\n";
}

const char* const idut_jobsExpected = "a number of threads, 1 to 256";

bool idut_parseJobs(const std::string& text, int32_t* jobs) {
  return idut_parseInt(text, 1, 256, jobs);
}

bool idut_expandImages(std::vector<std::string>* images, std::string* error) {
  std::vector<std::string> expanded;
  for (const std::string& argument : *images) {
    std::error_code code;
    if (!fs::is_directory(argument, code))
      expanded.push_back(argument);
    else if (!listFolder(argument, &expanded, error))
      return false;
  }
  images->swap(expanded);
  return true;
}

int32_t idut_batchWorkers(int32_t jobs, size_t count) {
  const size_t wanted = jobs > 0 ? size_t(jobs) : std::max(1u, std::thread::hardware_concurrency());
  return int32_t(std::clamp<size_t>(count, 1, wanted));
}

bool idut_runBatch(const std::vector<std::string>& images, int32_t jobs,
                   const idut_imageWork& work) {
  std::vector<imageResult> results(images.size());
  std::mutex lock;  // guards results and done
  std::condition_variable finished;
  size_t done = 0;
  std::atomic<size_t> next{0};
  const auto workOn = [&](int32_t worker) {
    for (size_t i; (i = next.fetch_add(1)) < images.size();) {
      imageResult result = runOne(work, worker, images[i]);
      std::lock_guard<std::mutex> guard(lock);
      results[i] = std::move(result);
      ++done;
      finished.notify_one();
    }
  };
  std::vector<std::thread> threads;
  for (int32_t w = 0; w < idut_batchWorkers(jobs, images.size()); ++w)
    threads.emplace_back(workOn, w);

  // Prints the images in order as they become ready.
  progressLine progress(images.size());
  bool allSucceeded = true;
  size_t printed = 0, seen = 0;
  while (printed < images.size()) {
    std::vector<imageResult> ready;
    {
      std::unique_lock<std::mutex> guard(lock);
      finished.wait(guard, [&] { return done != seen; });
      seen = done;
      for (; printed < images.size() && results[printed].done; ++printed)
        ready.push_back(std::move(results[printed]));
    }
    if (!ready.empty()) progress.clear();
    for (const imageResult& r : ready) {
      std::fwrite(r.out.data(), 1, r.out.size(), stdout);
      std::fflush(stdout);
      std::fwrite(r.err.data(), 1, r.err.size(), stderr);
      allSucceeded = allSucceeded && r.succeeded;
    }
    progress.draw(seen);
  }
  progress.clear();
  for (std::thread& t : threads) t.join();
  return allSucceeded;
}
