// Screenshots for the sample disc, drawn by code: believable program windows and
// game scenes at any size, plus the disc's generic preview pair.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image.h"

namespace art {

// The kinds of picture a screenshot can show.
enum class Scene { Editor, Spreadsheet, Paint, Browser, Player, Files, Monitor, Platformer, Puzzle, Shooter };

// Scene from its name in the disc sources ("editor", "spreadsheet", ...); false
// for a name that is none of them.
bool SceneFromName(std::string_view name, Scene& scene);
std::vector<std::string> SceneNames();

struct ScreenshotRecipe {
    Scene scene = Scene::Editor;
    std::string title;  // the window's caption, UTF-8
    uint32_t seed = 1;  // varies colours and content between pictures of one scene
};

// The picture at exactly w x h. Small sizes are drawn large and reduced, as a
// thumbnail maker would.
platform::Image DrawScreenshot(const ScreenshotRecipe& recipe, int w, int h);

// The disc's own picture, shown when a program has none: "RSMALL.JPG" and
// "RLARGE.JPG".
platform::Image DrawGenericPreview(int w, int h);

}  // namespace art
