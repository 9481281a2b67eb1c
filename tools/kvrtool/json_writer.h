// A small JSON writer for one-line objects: keys in the order written,
// strings escaped, non-finite numbers as null.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace kvrtool {

class JsonObject {
public:
    JsonObject& number(const char* key, double v, int digits = 15) {
        char buf[40];
        if (std::isfinite(v)) {
            std::snprintf(buf, sizeof buf, "%.*g", digits, v);
        } else {
            std::snprintf(buf, sizeof buf, "null");
        }
        return raw(key, buf);
    }
    // Single-precision values print with the digits they hold.
    JsonObject& single(const char* key, float v) { return number(key, v, 7); }
    JsonObject& integer(const char* key, long long v) { return raw(key, std::to_string(v)); }
    JsonObject& boolean(const char* key, bool v) { return raw(key, v ? "true" : "false"); }
    JsonObject& string(const char* key, const std::string& utf8) { return raw(key, quote(utf8)); }
    JsonObject& strings(const char* key, const std::vector<std::string>& utf8) {
        std::string list = "[";
        for (size_t i = 0; i < utf8.size(); ++i) list += (i ? "," : "") + quote(utf8[i]);
        return raw(key, list + "]");
    }
    JsonObject& object(const char* key, const JsonObject& inner) { return raw(key, inner.text()); }
    JsonObject& objects(const char* key, const std::vector<JsonObject>& items) {
        std::string list = "[";
        for (size_t i = 0; i < items.size(); ++i)
            list += (i ? "," : "") + items[i].text();
        return raw(key, list + "]");
    }
    std::string text() const { return "{" + body_ + "}"; }

    static std::string quote(const std::string& s) {
        std::string q = "\"";
        for (unsigned char c : s) {
            switch (c) {
            case '"': q += "\\\""; break;
            case '\\': q += "\\\\"; break;
            case '\n': q += "\\n"; break;
            case '\r': q += "\\r"; break;
            case '\t': q += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    q += buf;
                } else {
                    q.push_back(static_cast<char>(c));
                }
            }
        }
        return q + "\"";
    }

private:
    JsonObject& raw(const char* key, const std::string& value) {
        if (!body_.empty()) body_ += ",";
        body_ += quote(key) + ":" + value;
        return *this;
    }
    std::string body_;
};

}  // namespace kvrtool
