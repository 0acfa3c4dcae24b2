// A small scene built in code for the host tests.
#pragma once

#include <memory>

#include "bx3/document.h"

namespace bx3::fixtures {

struct TestScene {
  std::unique_ptr<Document> document = std::make_unique<Document>();
  Element* layer = nullptr;
  Element* cube = nullptr;
  Element* cacheTag = nullptr;
  Element* material = nullptr;
  Element* bitmap = nullptr;
  Element* settings = nullptr;
  Take* closeUp = nullptr;

  TestScene() {
    layer = document->InsertElement(Branch::Layers, CreateElement(type::kLayer, "Props"));
    cube = document->InsertElement(Branch::Objects, CreateElement(type::kNullObject, "Cube"));
    cube->SetLayer(layer);
    cacheTag = cube->InsertChild(CreateElement(type::kPointCacheTag, "Cache"));
    cacheTag->SetParameter(1025, Filename("cache/cube.pc2"));
    cacheTag->SetParameter(1004, brantic::TimeValue(0, 25));
    material = document->InsertElement(Branch::Materials, CreateElement(type::kStandardMaterial, "Wood"));
    bitmap = material->InsertChild(CreateElement(type::kBitmapShader, "Color"));
    bitmap->SetParameter(param::kShaderChannel, int32_t{0});
    bitmap->SetParameter(param::kBitmapFile, Filename("tex/wood.jpg"));
    brantic::NodeGraph graph(brantic::Id("test.space"));
    (void)graph.AddNode({*brantic::NodePath::FromText("tex1"),
                         brantic::Id("texture"),
                         {{brantic::Id("file"), brantic::Url::FromSystemPath("/maps/bark.exr")}}});
    material->SetNodeGraph(std::move(graph));
    settings = document->InsertElement(Branch::RenderSettings, CreateElement(type::kRenderSettings, "Final"));
    settings->SetParameter(param::kRenderOutputFile, Filename("render/final.exr"));
    Element* main = document->InsertElement(Branch::Takes, std::make_unique<Take>("Main"));
    closeUp = static_cast<Take*>(main->InsertChild(std::make_unique<Take>("Close-up")));
    closeUp->SetOverride(bitmap, param::kBitmapFile, Filename("tex/wood_close.jpg"));
    document->SetActiveMaterial(material);
  }
};

}  // namespace bx3::fixtures
