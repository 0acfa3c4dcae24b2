// Opens the readers module on the first media call, from the folder this library lies in.
#include <dlfcn.h>

#include <cstdio>

#include "brantic/io.h"
#include "media_readers.h"

namespace brantic {

namespace media {

namespace {

// The folder of this library, where the readers module is built and installed beside it.
std::string OwnFolder() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<const void*>(&LoadedReaders), &info) == 0 || !info.dli_fname) return ".";
  const std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

Result<const Readers*> LoadedReaders() {
  // Opened once and kept for the life of the program: what it returns is used on any thread.
  static const Result<const Readers*> readers = []() -> Result<const Readers*> {
    const std::string path = OwnFolder() + "/" + kReadersLibrary;
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      // Said once, where a user sees it: every picture, movie and sound reads as unknown now.
      const std::string problem = "the media readers cannot be loaded: " + std::string(::dlerror());
      std::fprintf(stderr, "%s\n", problem.c_str());
      return IoError(problem);
    }
    using Entry = const Readers* (*)();
    const auto entry = reinterpret_cast<Entry>(::dlsym(library, kReadersEntry));
    const Readers* table = entry ? entry() : nullptr;
    if (!table || table->version != kReadersVersion) {
      return IoError("the media readers in " + path + " are not of this version");
    }
    return table;
  }();
  return readers;
}

}  // namespace media

Result<void> LoadMediaReaders() {
  auto readers = media::LoadedReaders();
  if (!readers) return readers.GetError();
  return OK();
}

Result<Picture> LoadPicture(const Url& url, const PictureFit& fit) {
  auto readers = media::LoadedReaders();
  if (!readers) return readers.GetError();
  return (*readers)->loadPicture(url, fit);
}

Result<Picture> DecodePicture(std::string_view bytes) {
  auto readers = media::LoadedReaders();
  if (!readers) return readers.GetError();
  return (*readers)->decodePicture(bytes);
}

Result<SoundPeaks> ReadSoundPeaks(const Url& url, int32_t framesPerPeak) {
  if (DetectIo(url) != IoDetect::File) return IoError(url.GetSystemPath() + ": not a readable file");
  auto readers = media::LoadedReaders();
  if (!readers) return readers.GetError();
  return (*readers)->readSoundPeaks(url.GetSystemPath(), framesPerPeak);
}

}  // namespace brantic
