#include "hostile_scene.h"

#include <GL/gl.h>
#include <stdlib.h>

#include <algorithm>

#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "host/gl_state.h"
#include "scene/ssmain.h"
#include "soak_checks.h"
#include "tests/support/recording_alert.h"
#include "toys/one_toy.h"

namespace {

std::string Shown(const DOGCONTROL& dc) {
    std::string shown = "cats " + std::to_string(dc.stats.catsPlaced) + ", coats ";
    for (int i = 0; i < 3; ++i) {
        const bool coat = dc.dogs && i < dc.numDogs && dc.dogs[i].materialCount > 0 &&
                          dc.dogs[i].materials[0].texID != 0;
        shown += coat ? "+" : "-";
    }
    shown += dc.toys && dc.toys[0].displayList != 0 ? ", toy" : ", no toy";
    shown += dc.footprintTexture != 0 ? ", prints" : ", blank prints";
    return shown + (dc.stats.footprintsLaid > 0 ? " laid" : " not laid");
}

}  // namespace

SceneRun RunScene(SETTINGS settings, unsigned ground, int frames, std::string packs) {
    constexpr int kWidth = 64, kHeight = 48;
    if (packs.empty()) packs = std::string(VELMORA_RESOURCE_DIR) + "/";
    SceneRun run;
    std::vector<std::string> problems;
    RecordingAlert alerts;
    InitialiseViewGL(kWidth, kHeight);
    std::srand(11);
    SSMAIN scene;
    EXPECT_TRUE(scene.Setup(false, kWidth, kHeight, &settings, packs.c_str()));
    scene.groundTexture = ground;
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
        if (bodyLength > 0.0f) CheckFrame(*dc, bodyLength, SoakLimits{}, problems);
        if (problems.size() > 5) break;
    }
    uint8_t corner[4] = {0, 0, 0, 0};
    glReadPixels(1, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
    run.cornerRed = corner[0];
    if (DOGCONTROL* dc = scene.dogControl) {
        run.cats = dc->numDogs;
        run.catsPlaced = static_cast<int>(dc->stats.catsPlaced);
        run.footprintRing = dc->numFootprints;
        run.footprintsLaid = static_cast<long>(dc->stats.footprintsLaid);
        run.dogSize = dc->dogSize;
        run.shown = Shown(*dc);
        CheckMeshes(*dc, SoakLimits{}, problems);
    }
    for (const std::string& problem : problems) ADD_FAILURE() << problem;
    run.messages = alerts.lines;
    scene.Cleanup();
    return run;
}
