#include "bx3/types.h"

#include <unordered_map>

namespace bx3 {

namespace {

using enum TypeCategory;

std::vector<TypeInfo> BuildTypes() {
  using namespace type;
  return {
      {kDocument,
       "document",
       "Document",
       Document,
       0,
       {{param::kDocumentFrameRate, "Frame rate", kDataTypeFloat}, {1010, "Soundtrack", kDataTypeFilename}}},
      {kHead, "head", "List", Head, 0, {}},
      {kTake, "take", "Take", Take, 0, {}},
      {kLayer, "layer", "Layer", Layer, 0, {{1000, "Color", kDataTypeString}, {1001, "Visible", kDataTypeBool}}},

      {kObjectBase, "object", "Object", Object, 0, {}},
      {kNullObject, "object.null", "Group", Object, kObjectBase, {}},
      {kLightObject,
       "object.light",
       "Light",
       Object,
       kObjectBase,
       {{90036, "Light profile", kDataTypeFilename},
        {90050, "Profile manufacturer", kDataTypeString},
        {90051, "Profile luminaire", kDataTypeString},
        {90052, "Profile lamp", kDataTypeString},
        {90053, "Profile test", kDataTypeString},
        {90054, "Profile notes", kDataTypeString}}},
      {kSpeakerObject, "object.speaker", "Speaker", Object, kObjectBase, {{2140, "Sound file", kDataTypeFilename}}},
      {kVolumeObject, "object.volume", "Volume", Object, kObjectBase, {{10011, "Volume file", kDataTypeFilename}}},
      {kReferenceObject,
       "object.reference",
       "Scene reference",
       Object,
       kObjectBase,
       {{1001, "Referenced file", kDataTypeFilename}}},
      {kCacheObject, "object.cache", "Geometry cache", Object, kObjectBase, {{1000, "Cache file", kDataTypeFilename}}},
      {kVolumeSequenceObject,
       "object.volumesequence",
       "Volume sequence",
       Object,
       kObjectBase,
       {{6000, "First file", kDataTypeFilename},
        {6001, "Sequence file", kDataTypeFilename},
        {6003, "First frame", kDataTypeInt32},
        {6004, "Last frame", kDataTypeInt32}}},
      {kScatterObject, "object.scatter", "Scatter", Object, kObjectBase, {{1001, "Instance file", kDataTypeFilename}}},
      {kSimulation, "simulation", "Simulation", Object, kObjectBase, {{1001, "Cache folder file", kDataTypeFilename}}},

      {kTagBase, "tag", "Tag", Tag, 0, {}},
      {kPointCacheTag,
       "tag.pointcache",
       "Point cache",
       Tag,
       kTagBase,
       {{1025, "Cache file", kDataTypeFilename},
        {1004, "First frame", kDataTypeTime},
        {1005, "Last frame", kDataTypeTime}}},
      {kTextureListTag,
       "tag.texturelist",
       "Texture list",
       Tag,
       kTagBase,
       {{1000, "Texture", kDataTypeFilename}, {1001, "Index", kDataTypeInt32}}},
      {kFileTrack, "track.file", "File track", Tag, 0, {{1000, "File", kDataTypeFilename}}},

      {kMaterialBase, "material", "Material", Material, 0, {}},
      {kStandardMaterial, "material.standard", "Standard material", Material, kMaterialBase, {}},

      {kShaderBase, "shader", "Shader", Shader, 0, {{param::kShaderChannel, "Channel", kDataTypeInt32}}},
      {kBitmapShader,
       "shader.bitmap",
       "Bitmap",
       Shader,
       kShaderBase,
       {{param::kBitmapFile, "File", kDataTypeFilename},
        {param::kBitmapFirstFrame, "First frame", kDataTypeInt32},
        {param::kBitmapLastFrame, "Last frame", kDataTypeInt32},
        {param::kBitmapTiles, "Tiles", kDataTypeString}}},
      {kLayerShader, "shader.layer", "Layered shader", Shader, kShaderBase, {}},

      {kRenderSettings,
       "render.settings",
       "Render settings",
       RenderSettings,
       0,
       {{param::kRenderOutputFile, "Output file", kDataTypeFilename, true},
        {param::kRenderMultipassFile, "Multi-pass file", kDataTypeFilename, true},
        {param::kRenderFirstFrame, "First frame", kDataTypeTime},
        {param::kRenderLastFrame, "Last frame", kDataTypeTime},
        {param::kRenderFrameRate, "Frame rate", kDataTypeFloat}}},
      {kProjectSettings,
       "project.settings",
       "Project settings",
       SceneEffect,
       0,
       {{1011, "Environment file", kDataTypeFilename}}},

      {kSceneEffectBase, "effect", "Effect", SceneEffect, 0, {}},
      {kIlluminationCacheEffect,
       "effect.illumcache",
       "Illumination cache",
       SceneEffect,
       kSceneEffectBase,
       {{1000, "Cache file", kDataTypeFilename}, {3809, "Use cache file", kDataTypeInt32}}},
      // A renderer plug-in's element in the effect list; not an effect itself: it keeps its
      // file paths on its own and relinks them when told (kMsgAssetPathChanged).
      {kExternalRendererEffect,
       "effect.external",
       "External renderer",
       SceneEffect,
       0,
       {{1000, "Scene export file", kDataTypeFilename}}},
  };
}

}  // namespace

bool TypeInfo::IsInstanceOf(int32_t other) const {
  for (const TypeInfo* type = this; type; type = type->baseType) {
    if (type->id == other) return true;
  }
  return false;
}

const std::vector<TypeInfo>& GetTypes() {
  // Each type points at its base, so that instance tests walk pointers.
  static const std::vector<TypeInfo> types = [] {
    std::vector<TypeInfo> built = BuildTypes();
    for (TypeInfo& type : built) {
      for (const TypeInfo& base : built) {
        if (type.base != 0 && base.id == type.base) type.baseType = &base;
      }
    }
    return built;
  }();
  return types;
}

const TypeInfo* FindType(int32_t id) {
  // Asked for on every instance test: an index instead of a walk over the table.
  static const std::unordered_map<int32_t, const TypeInfo*> index = [] {
    std::unordered_map<int32_t, const TypeInfo*> byId;
    for (const TypeInfo& type : GetTypes()) byId.emplace(type.id, &type);
    return byId;
  }();
  const auto found = index.find(id);
  return found == index.end() ? nullptr : found->second;
}

const TypeInfo* FindTypeByName(std::string_view name) {
  for (const TypeInfo& type : GetTypes()) {
    if (type.name == name) return &type;
  }
  return nullptr;
}

std::string_view MaterialChannelName(int32_t channel) {
  static constexpr std::string_view kNames[] = {
      "Color", "Diffusion", "Luminance", "Transparency",   "Reflection", "Environment",  "Fog",
      "Bump",  "Alpha",     "Specular",  "Specular Color", "Glow",       "Displacement", "Normal"};
  return channel >= 0 && channel < int32_t(std::size(kNames)) ? kNames[channel] : std::string_view();
}

const ParamDescription* FindParamDescription(int32_t typeId, int32_t paramId) {
  for (const TypeInfo* type = FindType(typeId); type; type = type->base ? FindType(type->base) : nullptr) {
    for (const ParamDescription& description : type->params) {
      if (description.id == paramId) return &description;
    }
  }
  return nullptr;
}

std::vector<ParamDescription> GetAllParamDescriptions(int32_t typeId) {
  std::vector<const TypeInfo*> chain;
  for (const TypeInfo* type = FindType(typeId); type; type = type->base ? FindType(type->base) : nullptr) {
    chain.insert(chain.begin(), type);
  }
  std::vector<ParamDescription> all;
  for (const TypeInfo* type : chain) all.insert(all.end(), type->params.begin(), type->params.end());
  return all;
}

}  // namespace bx3
