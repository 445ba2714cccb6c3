// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalogjson.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <iterator>
#include <random>

// The median of a run of timings; -1 for none.
template <class Timings> double median(Timings values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// Lays out Data/ and run/ in `root` and makes run/ the working folder, as
// Tarn is started in its portable layout. Returns the catalog file's path.
inline QString enterRunFolder(const QTemporaryDir& root) {
    QDir(root.path()).mkdir(QStringLiteral("Data"));
    QDir(root.path()).mkdir(QStringLiteral("run"));
    QDir::setCurrent(root.filePath(QStringLiteral("run")));
    return root.filePath(QStringLiteral("Data/Data"));
}

// This thread's processor time, which a busy machine does not inflate.
inline double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Ten Types of ten Groups, `items` Items spread evenly over the hundred
// Groups; `makeItem(indexInGroup, allocator)` makes each, in catalog order.
template <class MakeItem> void fillTenByTen(catalog::Document& doc, int items, MakeItem makeItem) {
    doc.SetObject();
    auto& a = doc.GetAllocator();
    catalog::Value types(rapidjson::kArrayType);
    for (int t = 0; t < 10; ++t) {
        catalog::Value type = catalog::defaultType(a);
        catalog::Value& groups = type["group"];
        for (int g = 1; g < 10; ++g)
            groups.PushBack(catalog::newGroup(a), a);
        for (int g = 0; g < 10; ++g)
            for (int i = 0; i < items / 100; ++i)
                groups[g]["item"].PushBack(makeItem(i, a), a);
        types.PushBack(type, a);
    }
    doc.AddMember("type", types, a);
}

// Item names as people give them: a third Chinese ("微信文档"), a third
// English ("Visual Studio"), a third mixed ("QQ音乐", "WPS Office"), half
// with a number.
class NameMaker {
public:
    explicit NameMaker(unsigned seed) : rng(seed) {}

    QString name() {
        QString text;
        switch (rng() % 3) {
        case 0:
            text = pick(kChinese) + pick(kChinese);
            break;
        case 1:
            text = pick(kAscii) + QLatin1Char(' ') + pick(kAscii);
            break;
        default:
            text = pick(kMixed) + (rng() % 2 ? pick(kChinese) : QLatin1Char(' ') + pick(kAscii));
        }
        if (rng() % 2)
            text += QString::number(rng() % 1000);
        return text;
    }
    QString word() { return pick(kAscii); }
    unsigned next() { return rng(); }

private:
    template <class List> QString pick(const List& list) {
        return QString::fromUtf8(list[rng() % std::size(list)]);
    }

    static constexpr const char* kChinese[] = {"文档", "音乐", "浏览器", "设置",   "管理", "工具",   "编辑器",
                                               "银行", "重庆", "微信",   "视频",   "下载", "播放器", "计算器",
                                               "相册", "地图", "邮件",   "日历",   "笔记", "翻译",   "游戏",
                                               "网盘", "照片", "会议",   "输入法", "助手", "中心",   "办公",
                                               "安全", "系统", "长城",   "行情",   "快递", "学习",   "阅读"};
    static constexpr const char* kAscii[] = {
        "Visual",   "Studio", "Code",    "Chrome", "Firefox", "Notepad", "Office", "Word",  "Excel",
        "Terminal", "Player", "Manager", "Editor", "Git",     "Python",  "Steam",  "Photo", "Shop",
        "Cloud",    "Mail",   "Note",    "Calc",   "Zoom",    "Docker",  "Blender"};
    static constexpr const char* kMixed[] = {"QQ", "WPS", "360", "PS", "VS", "3D", "PDF", "TIM", "B站"};

    std::mt19937 rng;
};
