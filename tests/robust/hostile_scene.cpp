#include "hostile_scene.h"

#include <GL/gl.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "assets/pack_layout.h"
#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "host/gl_state.h"
#include "platform/headless_gl.h"
#include "platform/keyfile_store.h"
#include "scene/ssmain.h"
#include "soak_checks.h"

SETTINGS LoadStoredValues(const std::string& file,
                          const std::vector<std::pair<std::string, std::string>>& values) {
    {
        std::ofstream out(file, std::ios::trunc);
        out << "[VelmoraSaver]\nversion=" << kSettingsVersion << "\n";
        for (const auto& [key, value] : values) out << key << "=" << value << "\n";
    }
    KeyFileStore store(file);
    SETTINGS settings;
    LoadSettings(store, settings);
    return settings;
}

std::string FallbackPicture() {
    return std::string(VELMORA_RESOURCE_DIR) + "/" + pack_layout::kFallbackPicture;
}

SceneRun RunScene(SETTINGS settings, unsigned ground, int frames) {
    constexpr int kWidth = 64, kHeight = 48;
    SceneRun run;
    InitialiseViewGL(kWidth, kHeight);
    std::srand(11);
    SSMAIN scene;
    const std::string resources = std::string(VELMORA_RESOURCE_DIR) + "/";
    run.setUp = scene.Setup(false, kWidth, kHeight, &settings, resources.c_str());
    scene.groundTexture = ground;
    run.groundTexture = ground;
    run.groundIsTexture = ground != 0 && glIsTexture(ground) == GL_TRUE;
    float bodyLength = 0.0f;
    for (int frame = 1; frame <= frames; ++frame) {
        scene.Update(1.0 / 35.0);
        scene.Draw();
        DOGCONTROL* dc = scene.dogControl;
        if (!dc) continue;
        for (int i = 0; dc->dogs && i < dc->numDogs; ++i) {
            if (dc->dogs[i].action > 0) bodyLength = std::max(bodyLength, BodyLength(dc->dogs[i]));
        }
        // Until a cat has been placed and posed there is no body length to measure by.
        if (bodyLength > 0.0f) CheckFrame(*dc, bodyLength, SoakLimits{}, run.problems);
        if (run.problems.size() > 5) break;
    }
    if (DOGCONTROL* dc = scene.dogControl) {
        run.cats = dc->numDogs;
        run.catsPlaced = static_cast<int>(dc->stats.catsPlaced);
        run.footprintRing = dc->numFootprints;
        run.footprintsLaid = static_cast<long>(dc->stats.footprintsLaid);
        run.dogSize = dc->dogSize;
        CheckMeshes(*dc, SoakLimits{}, run.problems);
    }
    scene.Cleanup();
    return run;
}
