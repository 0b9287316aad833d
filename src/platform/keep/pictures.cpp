// pictures.cpp -- pictures of the display: the user's pictures folder, the display scaled
// up, and a PNG saved under a name of its own

#include "platform/keep/keep.h"
#include "platform/common/common.h"
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

// [SECTION] Pictures folder

namespace {

bool is_folder(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// XDG_PICTURES_DIR="$HOME/Pictures" in user-dirs.dirs: a path in quotes, absolute or
// starting with $HOME. "" when the file does not name one.
std::string user_dirs_pictures(const std::string& home) {
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') config = home.empty() ? "" : home + "/.config";
    if (config.empty()) return "";
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line, found;
    while (std::getline(in, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, 17, "XDG_PICTURES_DIR=") != 0)
            continue;
        std::string value = line.substr(start + 17);
        if (value.size() < 2 || value.front() != '"' || value.find('"', 1) == std::string::npos)
            continue;
        value = value.substr(1, value.find('"', 1) - 1);
        if (value.compare(0, 5, "$HOME") == 0 && !home.empty())
            found = home + value.substr(5);
        else if (!value.empty() && value[0] == '/')
            found = value;
    }
    return found;
}

std::string current_folder() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : ".";
}

} // namespace

std::string pictures_folder() {
    std::string home = environment("HOME");
    std::string candidates[3] = {environment("XDG_PICTURES_DIR"), user_dirs_pictures(home),
                                 home.empty() ? "" : home + "/Pictures"};
    for (const std::string& folder : candidates)
        if (is_folder(folder)) return folder;
    return current_folder();
}

// [SECTION] The display as a picture

std::vector<uint8_t> display_picture_rgb(const uint16_t* pixels, int width, int height, int scale) {
    if (scale < 1) scale = 1;
    std::vector<uint8_t> rgb;
    if (!pixels || width <= 0 || height <= 0) return rgb;
    const size_t out_width = size_t(width) * size_t(scale);
    rgb.resize(out_width * size_t(height) * size_t(scale) * 3);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &rgb[size_t(y) * size_t(scale) * out_width * 3];
        for (int x = 0; x < width; ++x) {
            // Widened as the window shows it.
            uint8_t colour[3];
            widen_pixel(pixels[size_t(y) * size_t(width) + size_t(x)], kfDirect565, colour);
            for (int k = 0; k < scale; ++k)
                std::memcpy(row + (size_t(x) * size_t(scale) + size_t(k)) * 3, colour, 3);
        }
        for (int k = 1; k < scale; ++k)
            std::memcpy(row + size_t(k) * out_width * 3, row, out_width * 3);
    }
    return rgb;
}

// [SECTION] Saving

std::string save_picture(const std::string& folder, const std::vector<uint8_t>& rgb, int width,
                         int height, std::time_t when, std::string* error) {
    if (width <= 0 || height <= 0 || rgb.size() != size_t(width) * size_t(height) * 3) {
        *error = "no picture to save";
        return "";
    }
    char stamp[32] = "";
    struct tm local;
    if (!localtime_r(&when, &local) ||
        !std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local)) {
        *error = "no local time";
        return "";
    }
    // The whole file is written under a hidden name first, then linked to its own name, which
    // fails rather than replace a file that is already there.
    std::string temporary = folder + "/.quarnel-picture-XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) {
        *error = std::strerror(errno);
        return "";
    }
    const mode_t mask = umask(0); // the picture gets the permissions of any new file
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    if (!write_png_rgb(temporary, rgb.data(), uint32_t(width), uint32_t(height))) {
        *error = std::strerror(errno ? errno : EIO);
        unlink(temporary.c_str());
        return "";
    }
    std::string base = folder + "/quarnel-" + stamp;
    std::string path;
    for (int n = 1; n < 1000 && path.empty(); ++n) {
        std::string name = base + (n == 1 ? "" : "-" + std::to_string(n)) + ".png";
        if (link(temporary.c_str(), name.c_str()) == 0) {
            path = name;
        } else if (errno != EEXIST) {
            // A file system without links: a name that is free is taken by renaming.
            struct stat st;
            if (stat(name.c_str(), &st) == 0) continue;
            if (rename(temporary.c_str(), name.c_str()) != 0) break;
            return name;
        }
    }
    if (path.empty()) *error = errno == EEXIST ? "every name is taken" : std::strerror(errno);
    unlink(temporary.c_str());
    return path;
}
