// The host's element types: ids, names, base types and parameter descriptions.
// Any thread (the registry is built once and never changes).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace bx3 {

// Type ids of the host's elements.
namespace type {
inline constexpr int32_t kObjectBase = 5155;
inline constexpr int32_t kLightObject = 5102;
inline constexpr int32_t kSpeakerObject = 5189;
inline constexpr int32_t kTagBase = 5694;
inline constexpr int32_t kMaterialBase = 5702;
inline constexpr int32_t kStandardMaterial = 5703;
inline constexpr int32_t kShaderBase = 5707;
inline constexpr int32_t kSceneEffectBase = 5709;
inline constexpr int32_t kBitmapShader = 5833;
inline constexpr int32_t kDocument = 110059;
inline constexpr int32_t kRenderSettings = 110304;
inline constexpr int32_t kProjectSettings = 110305;
inline constexpr int32_t kLayer = 100004801;
inline constexpr int32_t kFileTrack = 100004813;
inline constexpr int32_t kExternalRendererEffect = 1001101;
inline constexpr int32_t kPointCacheTag = 1019337;
inline constexpr int32_t kIlluminationCacheEffect = 1021096;
inline constexpr int32_t kTextureListTag = 1024237;
inline constexpr int32_t kVolumeObject = 1025462;
inline constexpr int32_t kReferenceObject = 1025766;
inline constexpr int32_t kCacheObject = 1028083;
inline constexpr int32_t kSimulation = 1032106;
inline constexpr int32_t kVolumeSequenceObject = 1039866;
inline constexpr int32_t kScatterObject = 440000255;
// Types of our own host that the module never names.
inline constexpr int32_t kHead = 1200000;
inline constexpr int32_t kTake = 1200001;
inline constexpr int32_t kNullObject = 1200010;
inline constexpr int32_t kLayerShader = 1200020;
}  // namespace type

// Data types of parameters (the data type of a description level).
enum DataType : int32_t {
  kDataTypeNone = 0,
  kDataTypeGroup = 1,
  kDataTypeBool = 2,
  kDataTypeInt32 = 15,
  kDataTypeFloat = 19,
  kDataTypeTime = 22,
  kDataTypeString = 130,
  kDataTypeFilename = 131,
  kDataTypeLink = 133,
  kDataTypeUrl = 140,
};

enum class TypeCategory {
  Document,
  Head,
  Object,
  Tag,
  Material,
  Shader,
  SceneEffect,
  RenderSettings,
  Layer,
  Take,
};

struct ParamDescription {
  int32_t id;
  std::string_view name;
  int32_t dataType;
  bool isOutput = false;  // a file the element writes (render output), not one it reads
};

struct TypeInfo {
  int32_t id;
  std::string_view name;   // the name in scene files: "shader.bitmap"
  std::string_view label;  // what a user reads: "Bitmap"
  TypeCategory category;
  int32_t base;                          // 0 for a root type
  std::vector<ParamDescription> params;  // own parameters; the bases' add to them
  const TypeInfo* baseType = nullptr;    // the base's description, null for a root type

  bool IsInstanceOf(int32_t other) const;
};

const TypeInfo* FindType(int32_t id);
const TypeInfo* FindTypeByName(std::string_view name);
const std::vector<TypeInfo>& GetTypes();
// The description of parameter `paramId` of `typeId`, searching its bases too.
const ParamDescription* FindParamDescription(int32_t typeId, int32_t paramId);
// Every parameter of a type, its bases' first.
std::vector<ParamDescription> GetAllParamDescriptions(int32_t typeId);

// Well-known parameter ids.
namespace param {
inline constexpr int32_t kDocumentFrameRate = 1001;
inline constexpr int32_t kShaderChannel = 100;  // material channel a shader feeds (0-13)
inline constexpr int32_t kBitmapFile = 1000;
inline constexpr int32_t kBitmapFirstFrame = 2000;
inline constexpr int32_t kBitmapLastFrame = 2001;
// The texture tiles a tile-set file (a "<UDIM>" path) must have: UDIM numbers and ranges,
// "1001-1003, 1011". Optional: without it the tiles on disk are the set.
inline constexpr int32_t kBitmapTiles = 2002;
inline constexpr int32_t kRenderFirstFrame = 5017;
inline constexpr int32_t kRenderLastFrame = 5018;
inline constexpr int32_t kRenderFrameRate = 5020;
inline constexpr int32_t kRenderOutputFile = 1100;
inline constexpr int32_t kRenderMultipassFile = 1101;
inline constexpr int32_t kReferenceFile = 1001;    // of the reference object
inline constexpr int32_t kCacheObjectFile = 1000;  // of the geometry cache object
inline constexpr int32_t kSimulationFile = 1001;   // of the simulation
inline constexpr int32_t kScatterFile = 1001;      // of the scatter object
inline constexpr int32_t kSpeakerFile = 2140;      // of the speaker
inline constexpr int32_t kPointCacheFile = 1025;   // of the point cache tag
inline constexpr int32_t kPointCacheFirstFrame = 1004;
inline constexpr int32_t kPointCacheLastFrame = 1005;
inline constexpr int32_t kProjectEnvironmentFile = 1011;  // of the project settings
inline constexpr int32_t kVolumeFile = 10011;             // of the volume object
inline constexpr int32_t kVolumeSequenceFile = 6000;      // of the volume sequence: its first file
inline constexpr int32_t kVolumeSequenceFirstFrame = 6003;
inline constexpr int32_t kVolumeSequenceLastFrame = 6004;
inline constexpr int32_t kLightProfileFile = 90036;  // of the light: its light profile
// The light's descriptive texts of its profile: manufacturer, luminaire, lamp, test, notes.
inline constexpr int32_t kLightManufacturer = 90050;
inline constexpr int32_t kLightLuminaire = 90051;
inline constexpr int32_t kLightLamp = 90052;
inline constexpr int32_t kLightTest = 90053;
inline constexpr int32_t kLightNotes = 90054;
}  // namespace param

// The name of a material channel (0-13); empty for other numbers.
std::string_view MaterialChannelName(int32_t channel);

}  // namespace bx3
