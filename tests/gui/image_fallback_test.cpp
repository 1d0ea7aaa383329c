// Pictures in the platform's other formats, decoded by the GUI library from bytes the program read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <future>
#include <string>

#include "platform/image.h"
#include "platform/qt/qt_platform.h"

TEST(ImageFallback, DecodesBitmapsAndRefusesPipesAtOnce) {
  char tmpl[] = "/tmp/ktusko-gui-XXXXXX";
  const std::string dir = std::string(mkdtemp(tmpl)) + "/";
  Plat_Register_Image_Fallback();

  QImage img(3, 2, QImage::Format_RGB32);
  img.fill(qRgb(0, 0, 255));
  ASSERT_TRUE(img.save(QString::fromStdString(dir + "logo.bmp"), "BMP"));
  std::string error;
  PictureRef pic = Img_Load(dir + "logo.bmp", &error);
  ASSERT_NE(pic, nullptr) << error;
  EXPECT_EQ(pic->width, 3);
  EXPECT_EQ(pic->height, 2);
  EXPECT_EQ(pic->pixels[5], 0xFF0000FFu);

  const std::string fifo = dir + "pipe.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto done = std::async(std::launch::async, [&] { return Img_Load(fifo, &error); });
  const bool at_once = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!at_once) {  // free the stuck reader by opening the pipe's other end
    const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }
  EXPECT_TRUE(at_once);
  EXPECT_EQ(done.get(), nullptr);
  Img_Set_Fallback(nullptr);
  ::unlink(fifo.c_str());
  ::unlink((dir + "logo.bmp").c_str());
  ::rmdir(dir.c_str());
}
