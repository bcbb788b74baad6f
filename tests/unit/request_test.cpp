#include <gtest/gtest.h>

#include <string>

#include "request/conditions.hpp"
#include "request/file_arguments.hpp"
#include "request/number.hpp"
#include "request/print_fields.hpp"
#include "request/record_values.hpp"
#include "request/request_type.hpp"

namespace recdb {
namespace {

std::string normalized(std::string line) {
    normalizeRequest(line);
    return line;
}

TEST(Normalize, CollapsesSpacesOnly) {
    EXPECT_EQ(normalized("   insert   name=a"), "insert name=a");
    EXPECT_EQ(normalized("exit  "), "exit ");
    EXPECT_EQ(normalized("    "), "");
    EXPECT_EQ(normalized("a\t\tb  c"), "a\t\tb c");
}

TEST(RequestType, KeywordsAreExactAndCaseSensitive) {
    EXPECT_EQ(parseRequestType("insert name=a").type, RequestType::Insert);
    EXPECT_EQ(parseRequestType("insert name=a").rest, "name=a");
    EXPECT_EQ(parseRequestType("exit ").type, RequestType::Exit);
    EXPECT_EQ(parseRequestType("exit ").rest, "");
    EXPECT_EQ(parseRequestType("exit now").rest, "now");
    for (const char* line : {"DBloadx", "DBLOAD", "Print", "file print", "print\tname", "", "Exit"}) {
        EXPECT_EQ(parseRequestType(line).type, RequestType::Unknown) << line;
    }
    EXPECT_EQ(parseRequestType("fileprint").type, RequestType::FilePrint);
    EXPECT_EQ(parseRequestType("DBstore x").type, RequestType::DBstore);
}

TEST(Number, ReadsLikeAtoiWithWrapping) {
    EXPECT_EQ(readNumber("42x"), 42);
    EXPECT_EQ(readNumber(" \t-17"), -17);
    EXPECT_EQ(readNumber("+5"), 5);
    EXPECT_EQ(readNumber("abc"), 0);
    EXPECT_EQ(readNumber(""), 0);
    EXPECT_EQ(readNumber("4294967297"), 1);
    EXPECT_EQ(readNumber("2147483648"), -2147483647 - 1);
    EXPECT_EQ(readNumber("-2147483648"), -2147483647 - 1);
}

struct ValuesCase {
    const char* text;
    const char* name;
    int group;
    int num;
    int den;
    const char* info;  // null: absent
};

TEST(RecordValues, TableOfForms) {
    const ValuesCase cases[] = {
        {"name=Alder group=3 rating=4.5 info=notes", "Alder", 3, 4, 5, "notes"},
        {"name=Alder", "Alder", 0, 0, 0, nullptr},
        {"group=3", "", 3, 0, 0, nullptr},
        {"", "", 0, 0, 0, nullptr},
        {"name=Alder info=two words", "Alder", 0, 0, 0, "two"},
        {"name=Alder info=", "Alder", 0, 0, 0, ""},
        {"name=Alder info=a info=b", "Alder", 0, 0, 0, "b"},
        {"name=Alder end info=x", "Alder", 0, 0, 0, nullptr},
        {"name=Alder rating=5", "Alder", 0, 0, 0, nullptr},
        {"name=Alder rating=-1.5", "Alder", 0, -1, 5, nullptr},
        {"name=Alder rating=.5", "Alder", 0, 0, 5, nullptr},
        {"name=Alder rating=4.05", "Alder", 0, 4, 5, nullptr},
        {"name=Alder group=-2", "Alder", -2, 0, 0, nullptr},
        {"name=Alder group=3-5", "Alder", 3, 0, 0, nullptr},
        {"name=A*", "A*", 0, 0, 0, nullptr},
        {"name=a=b", "a=b", 0, 0, 0, nullptr},
        {"name=Alder name=Birch", "Birch", 0, 0, 0, nullptr},
        {"Name=Alder", "", 0, 0, 0, nullptr},
    };
    Record record;
    record.info = "left over";
    record.group = 99;
    for (const ValuesCase& c : cases) {
        parseRecordValues(c.text, record);
        EXPECT_EQ(record.nameView(), c.name) << c.text;
        EXPECT_EQ(record.group, c.group) << c.text;
        EXPECT_EQ(record.ratingNum, c.num) << c.text;
        EXPECT_EQ(record.ratingDen, c.den) << c.text;
        EXPECT_EQ(record.info.has_value(), c.info != nullptr) << c.text;
        if (c.info != nullptr && record.info) {
            EXPECT_EQ(*record.info, c.info) << c.text;
        }
    }
    parseRecordValues("name=" + std::string(70, 'n'), record);
    EXPECT_EQ(record.nameView(), std::string(63, 'n'));
}

struct ConditionsCase {
    const char* text;
    const char* lowName;
    const char* highName;
    int lowGroup;   // -1: no condition
    int highGroup;
    int lowNum, lowDen;    // lowDen -1: no condition
    int highNum, highDen;  // highDen -1: no upper limit
};

TEST(Conditions, TableOfForms) {
    const ConditionsCase cases[] = {
        {"", "", "", -1, -1, 0, -1, 0, -1},
        {"name=Alder", "Alder", "Alder", -1, -1, 0, -1, 0, -1},
        {"name=Al*er", "Al*er", "", -1, -1, 0, -1, 0, -1},
        {"name=*", "*", "", -1, -1, 0, -1, 0, -1},
        {"name=", "", "", -1, -1, 0, -1, 0, -1},
        {"group=3", "", "", 3, 3, 0, -1, 0, -1},
        {"group=2-4", "", "", 2, 4, 0, -1, 0, -1},
        {"group=3-*", "", "", 3, 0, 0, -1, 0, -1},
        {"group=*-5", "", "", 0, 5, 0, -1, 0, -1},
        {"group=*", "", "", -1, -1, 0, -1, 0, -1},
        {"group=abc", "", "", 0, 0, 0, -1, 0, -1},
        {"rating=1.2", "", "", -1, -1, 1, 2, 1, 2},
        {"rating=1.2-3.4", "", "", -1, -1, 1, 2, 3, 4},
        {"rating=1.2-*", "", "", -1, -1, 1, 2, 0, -1},
        {"rating=*-3.4", "", "", -1, -1, 0, -1, 3, 4},
        {"rating=5", "", "", -1, -1, 0, -1, 0, -1},
        {"rating=-1.5", "", "", -1, -1, 0, -1, 1, 5},
        {"group=1 group=2", "", "", 2, 2, 0, -1, 0, -1},
        {"name=Alder end group=3", "Alder", "Alder", -1, -1, 0, -1, 0, -1},
        {"end name=Alder", "", "", -1, -1, 0, -1, 0, -1},
        {"Name=Alder", "", "", -1, -1, 0, -1, 0, -1},
        {"name=a=b", "a=b", "a=b", -1, -1, 0, -1, 0, -1},
        {"name=Alder group", "Alder", "Alder", -1, -1, 0, -1, 0, -1},
        {"rating=1.2x group=-5", "", "", 0, 5, 1, 2, 1, 2},
    };
    for (const ConditionsCase& c : cases) {
        Criteria criteria;
        criteria.low.ratingNum = criteria.high.ratingNum = 0;
        parseConditions("name=stale group=9 rating=9.9", criteria);
        parseConditions(c.text, criteria);
        EXPECT_EQ(criteria.low.nameView(), c.lowName) << c.text;
        EXPECT_EQ(criteria.high.nameView(), c.highName) << c.text;
        EXPECT_EQ(criteria.low.group, c.lowGroup) << c.text;
        if (c.lowGroup >= 0) {
            EXPECT_EQ(criteria.high.group, c.highGroup) << c.text;
        }
        EXPECT_EQ(criteria.low.ratingDen, c.lowDen) << c.text;
        if (c.lowDen >= 0) {
            EXPECT_EQ(criteria.low.ratingNum, c.lowNum) << c.text;
        }
        EXPECT_EQ(criteria.high.ratingDen, c.highDen) << c.text;
        if (c.highDen >= 0) {
            EXPECT_EQ(criteria.high.ratingNum, c.highNum) << c.text;
        }
    }
    Criteria criteria;
    parseConditions("name=" + std::string(63, 'n') + "*", criteria);
    EXPECT_EQ(criteria.high.nameView(), std::string(63, 'n'));
}

TEST(PrintFields, FieldsSortAndEnd) {
    struct Case {
        const char* text;
        FieldSet fields;
        SortKey sortKey;
        const char* rest;
    };
    const Case cases[] = {
        {"", 0, 0, ""},
        {"name group", 3, 0, ""},
        {"name group info rating", 15, 0, ""},
        {"name name", 1, 0, ""},
        {"name sort rating", 1, 4, ""},
        {"sort group", 0, 2, ""},
        {"rating sort name group", 4, 3, ""},
        {"name sort", 1, 0, ""},
        {"name end group", 1, 0, "group"},
        {"end name", 0, 0, "name"},
        {"NAME Name names name=x", 0, 0, ""},
        {"info sort info", 8, 8, ""},
        {"name end", 1, 0, ""},
        {"name sort sort group end out.txt HTML", 1, 2, "out.txt HTML"},
    };
    for (const Case& c : cases) {
        FieldSet fields = 0;
        SortKey sortKey = 0;
        EXPECT_EQ(parsePrintFields(c.text, fields, sortKey), c.rest) << c.text;
        EXPECT_EQ(fields, c.fields) << c.text;
        EXPECT_EQ(sortKey, c.sortKey) << c.text;
    }
}

TEST(FileArguments, FileNameAndPrintType) {
    std::string fileName;
    EXPECT_EQ(parseFileName("db.dat", fileName), "");
    EXPECT_EQ(fileName, "db.dat");
    EXPECT_EQ(parseFileName("db.dat old", fileName), "old");
    EXPECT_EQ(parseFileName("", fileName), "");
    EXPECT_EQ(fileName, "");
    EXPECT_TRUE(parseFileName(std::string(127, 'f'), fileName).has_value());
    EXPECT_FALSE(parseFileName(std::string(128, 'f'), fileName).has_value());

    PrintType type = PrintType::Text;
    EXPECT_EQ(parsePrintType("HTML more words", type), "more words");
    EXPECT_EQ(type, PrintType::Html);
    for (const char* word : {"html", "Html", "HTML5", "TEXT", ""}) {
        parsePrintType(word, type);
        EXPECT_EQ(type, PrintType::Text) << word;
    }
}

}  // namespace
}  // namespace recdb
