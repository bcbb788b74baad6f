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
    const char* name;
    bool exactName;
    int lowGroup;  // -1: no condition
    int highGroup;
    int lowNum, lowDen;    // lowDen -1: no condition
    int highNum, highDen;  // highDen -1: no upper limit
};

TEST(Conditions, TableOfForms) {
    const ConditionsCase cases[] = {
        {"", "", false, -1, -1, 0, -1, 0, -1},
        {"name=Alder", "Alder", true, -1, -1, 0, -1, 0, -1},
        {"name=Al*er", "Al*er", false, -1, -1, 0, -1, 0, -1},
        {"name=*", "*", false, -1, -1, 0, -1, 0, -1},
        {"name=", "", false, -1, -1, 0, -1, 0, -1},
        {"group=3", "", false, 3, 3, 0, -1, 0, -1},
        {"group=2-4", "", false, 2, 4, 0, -1, 0, -1},
        {"group=3-*", "", false, 3, 0, 0, -1, 0, -1},
        {"group=*-5", "", false, 0, 5, 0, -1, 0, -1},
        {"group=*", "", false, -1, -1, 0, -1, 0, -1},
        {"group=abc", "", false, 0, 0, 0, -1, 0, -1},
        {"rating=1.2", "", false, -1, -1, 1, 2, 1, 2},
        {"rating=1.2-3.4", "", false, -1, -1, 1, 2, 3, 4},
        {"rating=1.2-*", "", false, -1, -1, 1, 2, 0, -1},
        {"rating=*-3.4", "", false, -1, -1, 0, -1, 0, -1},
        {"rating=5", "", false, -1, -1, 0, -1, 0, -1},
        {"rating=-1.5", "", false, -1, -1, 0, -1, 0, -1},
        {"group=1 group=2", "", false, 2, 2, 0, -1, 0, -1},
        {"name=Alder end group=3", "Alder", true, -1, -1, 0, -1, 0, -1},
        {"end name=Alder", "", false, -1, -1, 0, -1, 0, -1},
        {"Name=Alder", "", false, -1, -1, 0, -1, 0, -1},
        {"name=a=b", "a=b", true, -1, -1, 0, -1, 0, -1},
        {"name=Alder group", "Alder", true, -1, -1, 0, -1, 0, -1},
        {"rating=1.2x group=-5", "", false, 0, 5, 1, 2, 1, 2},
        {"name=a* name=b rating=1.2 rating=3", "b", true, -1, -1, 1, 2, 1, 2},
    };
    for (const ConditionsCase& c : cases) {
        const Criteria criteria = parseConditions(c.text);
        EXPECT_EQ(criteria.name, c.name) << c.text;
        EXPECT_EQ(criteria.isExactName(), c.exactName) << c.text;
        EXPECT_EQ(criteria.groups.has_value(), c.lowGroup >= 0) << c.text;
        if (criteria.groups) {
            EXPECT_EQ(criteria.groups->low, c.lowGroup) << c.text;
            EXPECT_EQ(criteria.groups->high, c.highGroup) << c.text;
        }
        EXPECT_EQ(criteria.ratingLow.has_value(), c.lowDen >= 0) << c.text;
        if (criteria.ratingLow) {
            EXPECT_EQ(criteria.ratingLow->num, c.lowNum) << c.text;
            EXPECT_EQ(criteria.ratingLow->den, c.lowDen) << c.text;
        }
        EXPECT_EQ(criteria.ratingHigh.has_value(), c.highDen >= 0) << c.text;
        if (criteria.ratingHigh) {
            EXPECT_EQ(criteria.ratingHigh->num, c.highNum) << c.text;
            EXPECT_EQ(criteria.ratingHigh->den, c.highDen) << c.text;
        }
    }
    // A name of 63 bytes and a star: the star is cut off, the name exact.
    const Criteria cut = parseConditions("name=" + std::string(63, 'n') + "*");
    EXPECT_EQ(cut.name, std::string(63, 'n'));
    EXPECT_TRUE(cut.isExactName());
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
