#include "collection/kvscenewalk.h"

#include <algorithm>
#include <cctype>

#include "brantic/nestedfiles.h"
#include "bx3/scenefile.h"
#include "collection/kvcollect_rules.h"

namespace kv {

size_t KvSceneWalk::Run(bx3::Document& document, KvUseVisitor& visitor) {
  size_t count = 0;
  bx3::VisitAllAssets(&document, bx3::kAssetQueryAll, [&count](const bx3::AssetUse&) { ++count; });
  visitor.Begin(count);
  bx3::VisitAllAssets(&document, bx3::kAssetQueryAll, [&](const bx3::AssetUse& found) {
    KvUse use;
    use.owner = found.element ? found.element : &document;
    use.ownerMain = OwnerMainOf(found.element, document);
    use.file = &found.file;
    use.parameterId = found.parameterId;
    use.hostDescId = bx3::DescId(bx3::DescLevel{found.channelId, 0, 0});
    use.hostFlag = found.flag;
    use.nodePath = &found.nodePath;
    use.nodeSpace = &found.nodeSpace;
    use.take = found.take;
    visitor.Visit(document, use);
  });
  return count;
}

namespace {

// Collects the paths of a referenced scene's uses.
class UsePaths final : public KvUseVisitor {
 public:
  explicit UsePaths(std::vector<std::string>& paths) : paths_(paths) {}
  void Begin(size_t uses) override { paths_.reserve(uses); }
  void Visit(bx3::Document&, const KvUse& use) override { paths_.push_back(use.file->GetString().Std()); }

 private:
  std::vector<std::string>& paths_;
};

bool EndsWithScene(std::string_view path) {
  return path.size() > 4 && (path.ends_with(".bx3") || path.ends_with(".BX3"));
}

}  // namespace

bool KvNestedWalk::MayNameFiles(std::string_view path) {
  return EndsWithScene(path) || brantic::NestingFormatOf(path) != brantic::NestingFormat::None;
}

const KvNestedRead& KvNestedWalk::UsesIn(const std::string& file) {
  const auto [found, isNew] = read_.try_emplace(file);
  KvNestedRead& read = found->second;
  if (!isNew) return read;
  std::vector<std::string> written;
  if (EndsWithScene(file)) {
    auto document = bx3::LoadDocument(file);
    if (!document) {
      read.problem = document.GetError().Message();
      return read;
    }
    UsePaths paths(written);
    KvSceneWalk().Run(**document, paths);
  } else {
    auto named = brantic::ReadNamedFiles(file);
    if (!named) {
      read.problem = named.GetError().Message();
      return read;
    }
    for (brantic::NamedFile& named : named->files) written.push_back(std::move(named.path));
  }
  const size_t slash = file.find_last_of('/');
  const std::string_view folder =
      slash == std::string::npos ? std::string_view(".") : std::string_view(file).substr(0, slash);
  read.uses.reserve(written.size());
  for (std::string& path : written) {
    std::string anchored = AnchoredPath(path, folder);
    read.uses.push_back({std::move(path), std::move(anchored)});
  }
  return read;
}

std::string AnchoredPath(std::string_view written, std::string_view folder) {
  const bool windowsRoot =
      written.size() >= 2 && ((written[1] == ':' && std::isalpha(static_cast<unsigned char>(written[0]))) ||
                              written.starts_with("\\\\") || written.starts_with("//"));
  if (written.empty() || written.front() == '/' || written.front() == '$' || written.front() == '~' || windowsRoot) {
    return std::string(written);
  }
  std::string relative(written);
  std::replace(relative.begin(), relative.end(), '\\', '/');
  // "." and ".." are taken out as the resolution takes them out: a file reached two ways is
  // one file on the way of the rows inside it.
  const std::string joined = std::string(folder) + "/" + relative;
  const auto normal = bx3::Filename(joined).GetUrl().Normalize(brantic::kNormalizeResolveDots);
  return normal ? bx3::Filename::FromUrl(*normal).GetString().Std() : joined;
}

}  // namespace kv
