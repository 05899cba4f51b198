// The scene driver behind the view's scene interface.
#pragma once

#include <memory>

#include "host/scene_driver.h"
#include "scene/ssmain.h"

class SsmainScene : public SceneDriver {
  public:
    bool Setup(bool isPreview, int width, int height, SETTINGS* settings,
               const char* resourcePath) override {
        return main_.Setup(isPreview, width, height, settings, resourcePath);
    }
    void SetSize(int width, int height) override { main_.SetSize(width, height); }
    void Update(double dt) override { main_.Update(dt); }
    void Draw() override { main_.Draw(); }
    void SetBackBufferAge(int age) override { main_.backBufferAge = age; }
    bool ChangedRects(std::vector<PixelRect>* rects) const override {
        return main_.damage.Changed(rects);
    }
    void Cleanup() override { main_.Cleanup(); }
    void SetGroundTexture(uint32_t texture) override { main_.groundTexture = texture; }

  private:
    SSMAIN main_;
};

inline std::unique_ptr<SceneDriver> MakeSsmainScene() {
    return std::make_unique<SsmainScene>();
}
