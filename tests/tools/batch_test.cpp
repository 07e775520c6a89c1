// Batches of images: folders listed in path order, and output in the order of the images
// whatever order the threads finish them in.
#include "batch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

TEST(Batch, ExpandsFoldersInPathOrder) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("idut_batch_" + std::to_string(getpid()));
  for (const char* name : {"b.pgm", "A.PNG", "notes.txt", "sub/deeper/d.Pgm", "sub/c.pgm"}) {
    std::filesystem::create_directories((dir / name).parent_path());
    std::ofstream(dir / name) << "P2 1 1 1 0\n";
  }
  std::filesystem::create_directories(dir / "empty");
  std::vector<std::string> images = {"missing.pgm", dir.string()};
  std::string error;
  ASSERT_TRUE(idut_expandImages(&images, &error)) << error;
  const std::string d = dir.string() + "/";
  EXPECT_EQ(images, (std::vector<std::string>{"missing.pgm", d + "A.PNG", d + "b.pgm",
                                              d + "sub/c.pgm", d + "sub/deeper/d.Pgm"}));

  images = {d + "b.pgm", d + "empty"};
  EXPECT_FALSE(idut_expandImages(&images, &error));
  EXPECT_NE(error.find(d + "empty"), std::string::npos) << error;
  EXPECT_EQ(images.size(), 2u);  // left as it was
  std::filesystem::remove_all(dir);
}

TEST(Batch, PrintsInOrderWhateverFinishesFirst) {
  const std::vector<std::string> images = {"40", "30", "20", "10", "0"};  // milliseconds
  const int32_t workers = idut_batchWorkers(3, images.size());
  ASSERT_EQ(workers, 3);
  testing::internal::CaptureStdout();
  const bool allSucceeded =
      idut_runBatch(images, 3, [&](int32_t worker, const std::string& path, FILE* out, FILE*) {
        EXPECT_LT(worker, workers);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(path)));
        std::fprintf(out, "%s;", path.c_str());
        return path != "20";
      });
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "40;30;20;10;0;");
  EXPECT_FALSE(allSucceeded);
  EXPECT_EQ(idut_batchWorkers(8, 2), 2);
  EXPECT_GE(idut_batchWorkers(0, 100), 1);
}

}  // namespace
