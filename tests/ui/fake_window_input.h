#pragma once

#include <set>

#include "ui/surfinput.h"

// Input as the window layer would report it after one update.
struct FakeInput : WindowInput {
    int x = 0, y = 0, buttons = 0;
    float wheelX = 0, wheelY = 0;
    float scale = 1.0f;
    std::set<int> down, held;
    int pendingChar = 0;
    int charReads = 0;

    void mouse(int& mx, int& my, int& b) override {
        mx = x;
        my = y;
        b = buttons;
    }
    void wheel(float& dx, float& dy) override {
        dx = wheelX;
        dy = wheelY;
    }
    float backingScale() override { return scale; }
    bool keyDown(int key) override { return down.count(key) != 0; }
    bool keyHeld(int key) override { return held.count(key) != 0 || keyDown(key); }
    int readChar() override {
        ++charReads;
        const int c = pendingChar;
        pendingChar = 0;
        return c;
    }
};
