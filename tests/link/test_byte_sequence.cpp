#include "link/ByteSequence.h"

#include <gtest/gtest.h>

TEST(ByteSequence, FindBytesPositionsAreOneBasedAndBounded) {
    const QByteArray seq("ab#00(b3cd#00(b3");
    EXPECT_EQ(FindBytes(1, seq, "#00(b3"), 3);
    EXPECT_EQ(FindBytes(3, seq, "#00(b3"), 3);
    EXPECT_EQ(FindBytes(4, seq, "#00(b3"), 11);
    EXPECT_EQ(FindBytes(1, seq, "zz"), 0);
    // A start beyond the end, and a pattern longer than what remains, find nothing.
    EXPECT_EQ(FindBytes(17, seq, "3"), 0);
    EXPECT_EQ(FindBytes(100, seq, "a"), 0);
    EXPECT_EQ(FindBytes(12, seq, "#00(b3"), 0);
    EXPECT_EQ(FindBytes(1, QByteArray("C\r"), "C\r\n"), 0);
    EXPECT_EQ(FindBytes(1, QByteArray(), "*"), 0);
    EXPECT_EQ(FindBytes(1, seq, QByteArray()), 0);
    EXPECT_EQ(FindBytes(0, seq, "a"), 1);
    // Bytes that are not text take part like any other.
    EXPECT_EQ(FindBytes(1, QByteArray::fromHex("00807e43"), QByteArray::fromHex("807e")), 2);
}

TEST(ByteSequence, SlicesStayInsideTheSequence) {
    const QByteArray seq("#00V1.07*");
    EXPECT_EQ(ByteCount(QByteArray()), -1);
    EXPECT_EQ(LeftBytes(seq, 0), QByteArray());
    EXPECT_EQ(LeftBytes(seq, 50), seq);
    EXPECT_EQ(MidBytes(seq, 5, 4), QByteArray("1.07"));
    EXPECT_EQ(MidBytes(seq, 10, 1), QByteArray());
    EXPECT_EQ(MidBytes(seq, 8, 5), QByteArray("7*"));
}

TEST(ByteSequence, RemoveAllBytesDropsEveryNotice) {
    QByteArray seq("#00@%*V 1.0#00@%*#00@%*7*");
    RemoveAllBytes(seq, "#00@%*");
    EXPECT_EQ(seq, QByteArray("V 1.07*"));

    // The search resumes where the removed occurrence began: an occurrence that the removal
    // forms out of earlier bytes stays.
    QByteArray joined("#00@#00@%*%*");
    RemoveAllBytes(joined, "#00@%*");
    EXPECT_EQ(joined, QByteArray("#00@%*"));
    QByteArray aab("aabb");
    RemoveAllBytes(aab, "ab");
    EXPECT_EQ(aab, QByteArray("ab"));

    QByteArray untouched("abc");
    RemoveAllBytes(untouched, QByteArray());
    EXPECT_EQ(untouched, QByteArray("abc"));
}
