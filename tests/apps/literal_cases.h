// Literals and the arrays they make (as JSON), shared by the reader's own
// tests and the console's "show" statement.
#pragma once

#include <string>

namespace vxtest {

struct LiteralCase {
    const char* literal;
    const char* json;
};

inline void PrintTo(const LiteralCase& c, std::ostream* os) { *os << c.literal; }

#define D(size, data) R"({"class":"double","size":)" size R"(,"data":)" data "}"

inline const LiteralCase literalCases[] = {
    // numbers
    {"1", D("[1,1]", "[1]")},
    {"-2.5e3", D("[1,1]", "[-2500]")},
    {".5", D("[1,1]", "[0.5]")},
    {"1.", D("[1,1]", "[1]")},
    {"0.1", D("[1,1]", "[0.1]")},
    {"NaN", D("[1,1]", R"(["NaN"])")},
    {"Inf", D("[1,1]", R"(["Inf"])")},
    {"-Inf", D("[1,1]", R"(["-Inf"])")},
    {"1e400", D("[1,1]", R"(["Inf"])")},
    {"--1", D("[1,1]", "[1]")},
    // matrices: blanks or commas between columns, ';' between rows, nesting joins
    {"[1 2; 3 4]", D("[2,2]", "[1,3,2,4]")},
    {"[1, 2, 3]", D("[1,3]", "[1,2,3]")},
    {"[1 -2]", D("[1,2]", "[1,-2]")},
    {"[[1 2] 3; 4:6]", D("[2,3]", "[1,4,2,5,3,6]")},
    {"[[1;2] [3;4]]", D("[2,2]", "[1,2,3,4]")},
    {"[1 2;]", D("[1,2]", "[1,2]")},
    {"[]", D("[0,0]", "[]")},
    {"[[] 1 []]", D("[1,1]", "[1]")},
    {"[zeros(1,0) 1]", D("[1,1]", "[1]")},
    {"[true 2]", D("[1,2]", "[1,2]")},
    {"[int8(1) 2.7]", R"({"class":"int8","size":[1,2],"data":[1,3]})"},
    {"[2.7 uint8(1) int8(1)]", R"({"class":"uint8","size":[1,3],"data":[3,1,1]})"},
    {"[single(1) 2]", R"({"class":"single","size":[1,2],"data":[1,2]})"},
    {"[true false]", R"({"class":"logical","size":[1,2],"data":[true,false]})"},
    {"['a' 66]", R"({"class":"char","size":[1,2],"data":["aB"]})"},
    {"[[] 'ab']", R"({"class":"char","size":[1,2],"data":["ab"]})"},
    // ranges
    {"1:4", D("[1,4]", "[1,2,3,4]")},
    {"0:0.25:1", D("[1,5]", "[0,0.25,0.5,0.75,1]")},
    {"0:0.1:0.3", D("[1,4]", "[0,0.1,0.2,0.3]")},
    {"-1:1", D("[1,3]", "[-1,0,1]")},
    {"3:-1:1", D("[1,3]", "[3,2,1]")},
    {"5:1", D("[1,0]", "[]")},
    {"1:0:3", D("[1,0]", "[]")},
    {"int8(1):3", R"({"class":"int8","size":[1,3],"data":[1,2,3]})"},
    // texts and logicals
    {"'it''s'", R"({"class":"char","size":[1,4],"data":["it's"]})"},
    {"''", R"({"class":"char","size":[0,0],"data":[]})"},
    {"['ab';'cd']", R"({"class":"char","size":[2,2],"data":["ab","cd"]})"},
    {"'\xc3\xa9\xe2\x82\xac'", R"({"class":"char","size":[1,2],"data":["é€"]})"},
    {"true", R"({"class":"logical","size":[1,1],"data":[true]})"},
    {"false", R"({"class":"logical","size":[1,1],"data":[false]})"},
    {"true(1,2)", R"({"class":"logical","size":[1,2],"data":[true,true]})"},
    {"false(2,1)", R"({"class":"logical","size":[2,1],"data":[false,false]})"},
    // class conversions: integers round half away from zero and saturate, NaN gives 0
    {"int8([1.5 -2.5 300 -300])", R"({"class":"int8","size":[1,4],"data":[2,-3,127,-128]})"},
    {"uint8(-1)", R"({"class":"uint8","size":[1,1],"data":[0]})"},
    {"int16(NaN)", R"({"class":"int16","size":[1,1],"data":[0]})"},
    {"uint16(70000)", R"({"class":"uint16","size":[1,1],"data":[65535]})"},
    {"int32(2.5)", R"({"class":"int32","size":[1,1],"data":[3]})"},
    {"uint32(4294967296)", R"({"class":"uint32","size":[1,1],"data":[4294967295]})"},
    {"int64(-9223372036854775808)", R"({"class":"int64","size":[1,1],"data":[-9223372036854775808]})"},
    {"uint64(18446744073709551615)", R"({"class":"uint64","size":[1,1],"data":[18446744073709551615]})"},
    {"int64(uint64(18446744073709551615))", R"({"class":"int64","size":[1,1],"data":[9223372036854775807]})"},
    {"single(0.1)", R"({"class":"single","size":[1,1],"data":[0.1]})"},
    {"single(1e39)", R"({"class":"single","size":[1,1],"data":["Inf"]})"},
    {"logical([2 0 -1])", R"({"class":"logical","size":[1,3],"data":[true,false,true]})"},
    {"char([72 105])", R"({"class":"char","size":[1,2],"data":["Hi"]})"},
    {"double('A')", D("[1,1]", "[65]")},
    {"double(int8(-5))", D("[1,1]", "[-5]")},
    {"-'a'", D("[1,1]", "[-97]")},
    {"+true", D("[1,1]", "[1]")},
    {"-int8(-128)", R"({"class":"int8","size":[1,1],"data":[127]})"},
    // filled arrays; trailing singleton dimensions beyond the second are dropped
    {"zeros(2,3)", D("[2,3]", "[0,0,0,0,0,0]")},
    {"ones(2)", D("[2,2]", "[1,1,1,1]")},
    {"zeros", D("[1,1]", "[0]")},
    {"zeros(-1)", D("[0,0]", "[]")},
    {"zeros(1,0)", D("[1,0]", "[]")},
    {"zeros([2 1 2])", D("[2,1,2]", "[0,0,0,0]")},
    {"zeros(2,1,1)", D("[2,1]", "[0,0]")},
    {"ones(1,2,1,1)", D("[1,2]", "[1,1]")},
    {"ones(1,1,2)", D("[1,1,2]", "[1,1]")},
    {"ones(1,2,'uint8')", R"({"class":"uint8","size":[1,2],"data":[1,1]})"},
    {"NaN(1,2,'single')", R"({"class":"single","size":[1,2],"data":["NaN","NaN"]})"},
    {"Inf(1)", D("[1,1]", R"(["Inf"])")},
    {"cell(1,2)", R"({"class":"cell","size":[1,2],"data":[)" D("[0,0]", "[]") "," D("[0,0]", "[]") "]}"},
    // reshape and cat
    {"reshape(1:6,2,3)", D("[2,3]", "[1,2,3,4,5,6]")},
    {"reshape(1:6,[],2)", D("[3,2]", "[1,2,3,4,5,6]")},
    {"reshape(1:6,[3 2])", D("[3,2]", "[1,2,3,4,5,6]")},
    {"reshape(1:4,2,2,1,1)", D("[2,2]", "[1,2,3,4]")},
    {"reshape(1:8,2,2,2)", D("[2,2,2]", "[1,2,3,4,5,6,7,8]")},
    {"reshape('abcd',2,2)", R"({"class":"char","size":[2,2],"data":["ac","bd"]})"},
    {"cat(1,[1 2],[3 4])", D("[2,2]", "[1,3,2,4]")},
    {"cat(3,[1 2],[3 4])", D("[1,2,2]", "[1,2,3,4]")},
    {"cat(3,[1;2],[3;4],[5;6])", D("[2,1,3]", "[1,2,3,4,5,6]")},
    {"cat(2,reshape(1:4,1,2,2),reshape(5:8,1,2,2))", D("[1,4,2]", "[1,2,5,6,3,4,7,8]")},
    {"cat(3,5)", D("[1,1]", "[5]")},
    {"cat(1)", D("[0,0]", "[]")},
    // sparse (data in full form) and complex (the imaginary part stays, even when zero)
    {"sparse([1 0; 0 2])", R"({"class":"double","size":[2,2],"sparse":true,"data":[1,0,0,2]})"},
    {"sparse(logical([1 0]))", R"({"class":"logical","size":[1,2],"sparse":true,"data":[true,false]})"},
    {"sparse(2,3)", R"({"class":"double","size":[2,3],"sparse":true,"data":[0,0,0,0,0,0]})"},
    {"[sparse(1) 2]", R"({"class":"double","size":[1,2],"sparse":true,"data":[1,2]})"},
    {"-sparse([1 0])", R"({"class":"double","size":[1,2],"sparse":true,"data":[-1,0]})"},
    {"complex(1,0)", R"({"class":"double","size":[1,1],"data":[1],"imag":[0]})"},
    {"complex([1 2],[3 -4])", R"({"class":"double","size":[1,2],"data":[1,2],"imag":[3,-4]})"},
    {"complex([1 2],5)", R"({"class":"double","size":[1,2],"data":[1,2],"imag":[5,5]})"},
    {"complex(int8(1),2)", R"({"class":"int8","size":[1,1],"data":[1],"imag":[2]})"},
    {"complex(single(1))", R"({"class":"single","size":[1,1],"data":[1],"imag":[0]})"},
    {"[complex(1,2) 3]", R"({"class":"double","size":[1,2],"data":[1,3],"imag":[2,0]})"},
    {"-complex(1,2)", R"({"class":"double","size":[1,1],"data":[-1],"imag":[-2]})"},
    {"sparse(complex([0 1],[0 2]))", R"({"class":"double","size":[1,2],"sparse":true,"data":[0,1],"imag":[0,2]})"},
    // cells: braces put each element in a cell; [] joins cells with cells
    {"{}", R"({"class":"cell","size":[0,0],"data":[]})"},
    {"{[]}", R"({"class":"cell","size":[1,1],"data":[)" D("[0,0]", "[]") "]}"},
    {"{1, 'a'; [], {2}}", R"({"class":"cell","size":[2,2],"data":[)" D("[1,1]", "[1]") "," D("[0,0]", "[]")
                              R"(,{"class":"char","size":[1,1],"data":["a"]},{"class":"cell","size":[1,1],"data":[)"
                                  D("[1,1]", "[2]") "]}]}"},
    {"{1 {2}}", R"({"class":"cell","size":[1,2],"data":[)" D("[1,1]", "[1]")
                    R"(,{"class":"cell","size":[1,1],"data":[)" D("[1,1]", "[2]") "]}]}"},
    {"[{1}, 2]", R"({"class":"cell","size":[1,2],"data":[)" D("[1,1]", "[1]") "," D("[1,1]", "[2]") "]}"},
    {"[{1}; {2}]", R"({"class":"cell","size":[2,1],"data":[)" D("[1,1]", "[1]") "," D("[1,1]", "[2]") "]}"},
    {"[{}, 1]", R"({"class":"cell","size":[1,1],"data":[)" D("[1,1]", "[1]") "]}"},
    {"reshape({1,2},2,1)", R"({"class":"cell","size":[2,1],"data":[)" D("[1,1]", "[1]") "," D("[1,1]", "[2]") "]}"},
    // structs: a 1x1 struct maps its fields; a cell value spreads over a struct array
    {"struct('a',1,'b','x')", R"({"class":"struct","size":[1,1],"fields":{"a":)" D("[1,1]", "[1]")
                                  R"(,"b":{"class":"char","size":[1,1],"data":["x"]}}})"},
    {"struct()", R"({"class":"struct","size":[1,1],"fields":{}})"},
    {"struct('a',{1,2})", R"({"class":"struct","size":[1,2],"fields":["a"],"data":[{"a":)" D("[1,1]", "[1]")
                              R"(},{"a":)" D("[1,1]", "[2]") "}]}"},
    {"struct('a',{1;2},'b',0)", R"({"class":"struct","size":[2,1],"fields":["a","b"],"data":[{"a":)" D("[1,1]", "[1]")
                                    R"(,"b":)" D("[1,1]", "[0]") R"(},{"a":)" D("[1,1]", "[2]") R"(,"b":)"
                                        D("[1,1]", "[0]") "}]}"},
    {"struct('a',{})", R"({"class":"struct","size":[0,0],"fields":["a"],"data":[]})"},
    {"struct('c',{{1}})", R"({"class":"struct","size":[1,1],"fields":{"c":{"class":"cell","size":[1,1],"data":[)"
                              D("[1,1]", "[1]") "]}}}"},
    {"[struct('a',1) struct('a',2)]", R"({"class":"struct","size":[1,2],"fields":["a"],"data":[{"a":)"
                                          D("[1,1]", "[1]") R"(},{"a":)" D("[1,1]", "[2]") "}]}"},
    {"[struct('a',1,'b',2); struct('b',3,'a',4)]",
     R"({"class":"struct","size":[2,1],"fields":["a","b"],"data":[{"a":)" D("[1,1]", "[1]") R"(,"b":)"
         D("[1,1]", "[2]") R"(},{"a":)" D("[1,1]", "[4]") R"(,"b":)" D("[1,1]", "[3]") "}]}"},
};

#undef D

struct MalformedCase {
    const char* literal;
    const char* id;
};

inline void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.literal; }

inline const MalformedCase malformedCases[] = {
    {"[1 2", "vxhost:literal:Syntax"},
    {"{1, 2", "vxhost:literal:Syntax"},
    {"[1,,2]", "vxhost:literal:Syntax"},
    {"[,1]", "vxhost:literal:Syntax"},
    {"'abc", "vxhost:literal:Syntax"},
    {"\"abc\"", "vxhost:literal:Syntax"},
    {"[1 - 2]", "vxhost:literal:Syntax"},
    {"[1-2]", "vxhost:literal:Syntax"},
    {"- 1", "vxhost:literal:Syntax"},
    {"[1}", "vxhost:literal:Syntax"},
    {"{1]", "vxhost:literal:Syntax"},
    {"[1)", "vxhost:literal:Syntax"},
    {"[1'a']", "vxhost:literal:Syntax"},
    {"zeros(1,2", "vxhost:literal:Syntax"},
    {"zeros(1 2)", "vxhost:literal:Syntax"},
    {"(1)", "vxhost:literal:Syntax"},
    {"@", "vxhost:literal:Syntax"},
    {"1:2:3:4", "vxhost:literal:Syntax"},
    {"'a':3", "vxhost:literal:Syntax"},
    {"[1 2]:3", "vxhost:literal:Syntax"},
    {"foo(1)", "vxhost:literal:UnknownFunction"},
    {"x", "vxhost:literal:UnknownFunction"},
    {"reshape(1)", "vxhost:literal:ArgumentCount"},
    {"double(1,2)", "vxhost:literal:ArgumentCount"},
    {"double()", "vxhost:literal:ArgumentCount"},
    {"sparse(1,2,3)", "vxhost:literal:ArgumentCount"},
    {"[[1 2]; 3]", "vxhost:literal:Dimensions"},
    {"[[1;2] 3]", "vxhost:literal:Dimensions"},
    {"cat(3,[1 2],[3 4;5 6])", "vxhost:literal:Dimensions"},
    {"[{1}; {2, 3}]", "vxhost:literal:Dimensions"},
    {"[struct('a',1) struct('b',2)]", "vxhost:literal:Fields"},
    {"[struct('a',1) struct('a',2,'b',3)]", "vxhost:literal:Fields"},
    {"[struct('a',1) 1]", "vxhost:literal:Conversion"},
    {"['a' true]", "vxhost:literal:Conversion"},
    {"double({1})", "vxhost:literal:Conversion"},
    {"double(struct())", "vxhost:literal:Conversion"},
    {"logical(complex(1,1))", "vxhost:literal:Conversion"},
    {"char(complex(1,1))", "vxhost:literal:Conversion"},
    {"int8(sparse(1))", "vxhost:literal:Conversion"},
    {"-{1}", "vxhost:literal:Conversion"},
    {"logical(NaN)", "vxhost:literal:NaNToLogical"},
    {"logical([1 NaN])", "vxhost:literal:NaNToLogical"},
    {"zeros(1e9)", "vxhost:literal:TooLarge"},
    {"ones(4096,4097)", "vxhost:literal:TooLarge"},
    {"zeros(65536,65536,65536,65536)", "vxhost:literal:TooLarge"},
    {"1:Inf", "vxhost:literal:TooLarge"},
    {"zeros(1.5)", "vxhost:literal:Argument"},
    {"zeros(NaN)", "vxhost:literal:Argument"},
    {"zeros({1})", "vxhost:literal:Argument"},
    {"zeros(2,'a')", "vxhost:literal:Argument"},
    {"ones(2,'char')", "vxhost:literal:Argument"},
    {"NaN(2,'int8')", "vxhost:literal:Argument"},
    {"reshape(1:6,4,[])", "vxhost:literal:Argument"},
    {"reshape(1:6,5)", "vxhost:literal:Argument"},
    {"reshape(1:4,[],[])", "vxhost:literal:Argument"},
    {"reshape(sparse(1:4),1,2,2)", "vxhost:literal:Argument"},
    {"cat(0,1)", "vxhost:literal:Argument"},
    {"cat(1.5,1)", "vxhost:literal:Argument"},
    {"sparse(int8(1))", "vxhost:literal:Argument"},
    {"sparse(zeros(2,2,2))", "vxhost:literal:Argument"},
    {"complex('a',1)", "vxhost:literal:Argument"},
    {"complex(complex(1,1),1)", "vxhost:literal:Argument"},
    {"complex([1 2],[1 2 3])", "vxhost:literal:Argument"},
    {"complex(int8(1),single(1))", "vxhost:literal:Argument"},
    {"struct('a')", "vxhost:literal:Argument"},
    {"struct(1,2)", "vxhost:literal:Argument"},
    {"struct('a',1,'a',2)", "vxhost:literal:Argument"},
    {"struct('1a',1)", "vxhost:literal:Argument"},
    {"struct('a',{1,2},'b',{1,2,3})", "vxhost:literal:Argument"},
};

} // namespace vxtest
