// The user's options, held in memory from start-up to shut-down.
#pragma once

#include <QString>

class TIniFile;

// A single instance for the whole program: created on first request,
// destroyed by ReleaseInstance (after which a request creates a fresh one).
class TSettings {
public:
    static TSettings* GetInstance();
    static void ReleaseInstance();

    // Whether the compilation editor moves to the next question after an answer.
    bool AutoAdvancing() const { return autoAdvancing_; }
    void SetAutoAdvancing(bool value) { autoAdvancing_ = value; }

    // A missing or unreadable value leaves the option on.
    void LoadFromIni(const TIniFile& file);
    // Never reports a failure: at shut-down there is no one to tell, and the
    // options are simply not kept.
    // Returns why the file could not be written; empty when it was (or
    // when nothing in it had to change).
    QString SaveToIni(TIniFile& file);

    TSettings(const TSettings&) = delete;
    TSettings& operator=(const TSettings&) = delete;

private:
    TSettings() = default;
    ~TSettings() = default;

    bool autoAdvancing_ = true;

    static TSettings* instance_;
};
