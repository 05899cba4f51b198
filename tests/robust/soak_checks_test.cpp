// The soak's checks must see what they look for: a scene run for a while passes them, and each
// kind of damage put into it afterwards is reported.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "cats/dog_control.h"
#include "cats/one_dog.h"
#include "hostile_scene.h"
#include "scene/ssmain.h"
#include "soak_checks.h"

namespace {

bool Mentions(const std::vector<std::string>& problems, const std::string& words) {
    for (const std::string& p : problems) {
        if (p.find(words) != std::string::npos) return true;
    }
    return false;
}

using SoakChecks = ShippedSceneTest;

TEST_F(SoakChecks, ASoundScenePassesAndEachKindOfDamageIsReported) {
    glEnable(GL_DEPTH_TEST);
    std::srand(5);
    SETTINGS settings = DefaultSettings();
    SSMAIN scene;
    const std::string resources = std::string(VELMORA_RESOURCE_DIR) + "/";
    ASSERT_TRUE(scene.Setup(false, 64, 48, &settings, resources.c_str()));
    for (int frame = 0; frame < 400; ++frame) {
        scene.Update(1.0 / 35.0);
        scene.Draw();
    }
    ASSERT_NE(scene.dogControl, nullptr);
    DOGCONTROL& dc = *scene.dogControl;
    ASSERT_EQ(dc.numDogs, 3);
    ONEDOG& cat = dc.dogs[0];
    ASSERT_GT(cat.action, 0);
    const float body = BodyLength(cat);
    ASSERT_GT(body, 0.0f);
    const SoakLimits limits;

    std::vector<std::string> problems;
    CheckFrame(dc, body, limits, problems);
    EXPECT_EQ(CheckMeshes(dc, limits, problems), 0.0f);
    EXPECT_TRUE(problems.empty()) << problems.front();

    // Each kind of damage to a frame, put in and taken out again, with the words of its report.
    const VECTOR3D placed = cat.position;
    const int next = dc.nextFootprint;
    const std::pair<std::function<void()>, const char*> damages[] = {
        {[&] { cat.position.x = std::numeric_limits<float>::quiet_NaN(); },
         "not a finite state: cat 0"},
        {[&] { cat.position.z = dc.bounds.z + (limits.catMarginBodies + 1.0f) * body; },
         "far from the ground: cat 0"},
        {[&] { dc.nextFootprint = dc.numFootprints; }, "footprint cursors out of range"}};
    for (const auto& [damage, words] : damages) {
        problems.clear();
        damage();
        CheckFrame(dc, body, limits, problems);
        EXPECT_TRUE(Mentions(problems, words)) << words;
        cat.position = placed;
        dc.nextFootprint = next;
    }

    // A vertex moved off its pose by more than the tolerance, then one made non-finite.
    problems.clear();
    cat.vertices[7].position[1] += 0.01f;
    EXPECT_NEAR(CheckMeshes(dc, limits, problems), 0.01f, 1e-4f);
    EXPECT_TRUE(Mentions(problems, "cat 0's mesh drifted"));
    problems.clear();
    cat.vertices[7].normal[2] = std::numeric_limits<float>::infinity();
    CheckMeshes(dc, limits, problems);
    EXPECT_TRUE(Mentions(problems, "not a finite vertex of cat 0"));

    scene.Cleanup();
}

}  // namespace
