// Documents as other word processors write them (built by hand after their
// typical output), read as their plain text.
#include <gtest/gtest.h>

#include <string>

#include "formats/rtf.h"

using tessaline::rtf::read;

namespace {

void expectText(const std::string& document, const std::string& expected, std::size_t replaced)
{
    const auto r = read(document);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.codes, expected);
    EXPECT_EQ(r.replaced, replaced);
}

}  // namespace

TEST(RtfSamples, WordPadAndTextEdit)
{
    expectText(
        R"rtf({\rtf1\ansi\ansicpg1252\deff0\nouicompat\deflang1033{\fonttbl{\f0\fnil\fcharset0 Calibri;}{\f1\fnil\fcharset2 Symbol;}}
{\colortbl ;\red255\green0\blue0;}
{\*\generator Riched20 10.0.19041}\viewkind4\uc1 
\pard\sa200\sl276\slmult1\f0\fs22\lang9 Caf\'e9 \ldblquote quoted\rdblquote  na\'efve \u8364?5\par
{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-360\li720\sa200\sl276\slmult1 item one\par
{\pntext\f1\'B7\tab}item two\par
\pard\sa200\sl276\slmult1\cf1\b Bold red\cf0\b0\par
}
)rtf",
        "Caf\xE9 \"quoted\" na\xEFve EUR5\r\n\xB7\titem one\r\n\xB7\titem two\r\nBold red\r\n", 3);

    expectText(R"rtf({\rtf1\ansi\ansicpg1252\cocoartf2709
\cocoatextscaling0\cocoaplatform0{\fonttbl\f0\fswiss\fcharset0 Helvetica;}
{\colortbl;\red255\green255\blue255;}
{\*\expandedcolortbl;;}
\paperw11900\paperh16840\margl1440\margr1440\vieww11520\viewh8400\viewkind0
\pard\tx566\tx1133\pardirnatural\partightenfactor0

\f0\fs24 \cf0 First line\
second line \'96 caf\'e9 \uc0\u8364 \
}
)rtf",
               "First line\r\nsecond line - caf\xE9 EUR\r\n", 2);
}

TEST(RtfSamples, LibreOfficeWithTheCalculatorFont)
{
    expectText(R"rtf({\rtf1\ansi\deff3\adeflang1025
{\fonttbl{\f0\froman\fprq2\fcharset0 Times New Roman;}{\f1\froman\fprq2\fcharset2 Symbol;}{\f2\fswiss\fprq2\fcharset0 Arial;}{\f3\froman\fprq2\fcharset0 Liberation Serif{\*\falt Times New Roman};}{\f4\fnil\fprq2\fcharset0 Ti92Pluspc;}{\f5\fnil\fprq2\fcharset0 Noto Sans CJK SC;}}
{\colortbl;\red0\green0\blue0;\red128\green128\blue128;}
{\stylesheet{\s0\snext0\hich\af3\dbch\af5\langfe2052\dbch\af5\afs24\alang1081\loch\f3\fs24\lang1033 Normal;}
{\s15\sbasedon0\snext16\hich\af2\dbch\af5\afs28\loch\f2\fs28 Heading;}
{\*\cs17\snext17 Hyperlink;}
}{\*\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}{\info{\creatim\yr2024\mo1\dy2\hr10\min5}{\revtim\yr2024\mo1\dy2\hr10\min6}{\printim\yr0\mo0\dy0\hr0\min0}}{\*\userprops}\deftab709
\hyphauto1\viewscale100
{\*\pgdsctbl
{\pgdsc0\pgdscuse451\pgwsxn11906\pghsxn16838\marglsxn1134\margrsxn1134\margtsxn1134\margbsxn1134\pgdscnxt0 Default Page Style;}}
\formshade\paperh16838\paperw11906\margl1134\margr1134\margt1134\margb1134\sectd\sbknone\sectunlocked1\pgndec\pgwsxn11906\pghsxn16838\marglsxn1134\margrsxn1134\margtsxn1134\margbsxn1134\ftnbj\ftnstart1\ftnrstcont\ftnnar\aenddoc\aftnrstcont\aftnstart1\aftnnrlc
{\*\ftnsep\chftnsep}\pgndec\pard\plain \s0\rtlch\af5\afs24\alang1081\ltrch\hich\af3\loch\widctlpar\hyphpar0\ltrpar\cf0\f3\fs24\lang1033\dbch\af5\langfe2052{\rtlch \ltrch\loch
Smart \u8220\'93quotes\u8221\'94 and caf\u233\'e9}
\par \pard\plain \s0\rtlch\af5\afs24\alang1081\ltrch\hich\af3\loch\widctlpar\hyphpar0\ltrpar\cf0\f3\fs24\lang1033\dbch\af5\langfe2052{\rtlch \ltrch\loch\f4
\u960\'3f r\u178\'3f \'8c {\field{\*\fldinst HYPERLINK "https://example.org/" }{\fldrslt {\rtlch \ltrch\loch\f4 link}}}}
\par }
)rtf",
               "Smart \"quotes\" and caf\xE9\r\n\x8C r\xB2 \x8C link\r\n", 2);
}

TEST(RtfSamples, AbiWordAndPandoc)
{
    expectText(R"rtf({\rtf1\ansi\ansicpg1252\deff0\uc1
{\fonttbl
{\f0\froman\fcharset0\fprq2 Times New Roman;}
{\f1\fswiss\fcharset0\fprq2 Arial;}
{\f2\fmodern\fcharset0\fprq1 Ti92Pluspc;}}
{\colortbl
\red0\green0\blue0;
\red255\green255\blue255;}
{\stylesheet
{\s1\fi-431\li720\sbasedon29\snext28\hich\af0\dbch\af0\loch\f0 Numbered Heading 1;}
{\*\cs30\sbasedon31 Hyperlink;}}
\kerning0\cf0\ftnbj\fet2\ftnstart1\ftnnar\aftnnar\ftnstart1\aftnstart1\aenddoc\facingp\titlepg\revprop3{\info{\title Letter}{\author Someone}}\deftab720\viewkind1\paperw12240\paperh15840\margl1440\margr1440\widowctl
\sectd\sbknone\colsx360\pgncont\ltrsect
\pard\plain\ltrpar\ql\sb0\sa0\sl240\slmult1\li0\ri0\fi0\f0\fs24\cf0{\f0\fs24\lang1033{\*\listtag0}Dear reader,}{\f0\fs24\lang1033{\*\listtag0}\par}
\pard\plain\ltrpar\ql\f0\fs24\cf0{\f2\fs20 x\u8804\'9c 3}{\f0 \tab and }{\field{\*\fldinst {\f0 HYPERLINK "http://abisource.com"}}{\fldrslt {\cs30\f0\ul AbiWord}}}{\f0 .}
\par}
)rtf",
               "Dear reader,\r\nx\x9C 3\tand AbiWord.\r\n", 0);

    expectText(R"rtf({\rtf1\ansi\deff0{\fonttbl{\f0 \fswiss Helvetica;}{\f1 \fmodern Courier;}}
{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}
\widowctrl\hyphauto

{\pard \ql \f0 \sa180 \li0 \fi0 \outlinelevel0 \b \fs36 Title\par}
{\pard \ql \f0 \sa180 \li0 \fi0 Caf\u233? \u8220"quoted\u8221" {\i it}\u8212-dash {\field{\*\fldinst{HYPERLINK "https://example.org"}}{\fldrslt{\ul
link
}}}
\par}
{\pard \ql \f0 \sa0 \li360 \fi-360 \bullet \tx360\tab one\par}
{\pard \ql \f0 \sa0 \li360 \fi-360 \f1 code\\path \{x\}\par}
}
)rtf",
               "Title\r\nCaf\xE9 \"quoted\" it-dash link\r\n\xB7\tone\r\ncode\\path {x}\r\n", 4);
}

TEST(RtfSamples, WordWithPicturesBinaryDataAndTables)
{
    std::string doc =
        R"rtf({\rtf1\adeflang1025\ansi\ansicpg1252\uc1\adeff31507\deff0\stshfdbch31505\stshfloch31506\stshfhich31506\stshfbi31507\deflang1033\deflangfe1033\themelang1033{\fonttbl{\f0\fbidi \froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;}{\f34\fbidi \froman\fcharset0\fprq2{\*\panose 02040503050406030204}Cambria Math;}
{\f40\fbidi \fnil\fcharset0\fprq2 Ti92Pluspc;}}
{\colortbl;\red0\green0\blue0;}
{\*\defchp \fs22\loch\af31506\hich\af31506\dbch\af31505 }
{\stylesheet{\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0 \rtlch\fcs1 \af31507\afs22\alang1025 \ltrch\fcs0 \fs22\lang1033\langfe1033\cgrid\langnp1033\langfenp1033 \snext0 \sqformat \spriority0 Normal;}}
{\*\rsidtbl \rsid1056967}{\mmathPr\mmathFont34\mbrkBin0}{\info{\author User}{\operator User}{\creatim\yr2024\mo3\dy1\hr9\min12}{\version1}{\nofwords3}{\vern27}}{\*\xmlnstbl {\xmlns1 http://schemas.microsoft.com/office/word/2003/wordml}}
\paperw12240\paperh15840\margl1440\margr1440\margt1440\margb1440\gutter0\ltrsect 
{\*\pnseclvl1\pnucrm\pnstart1\pnindent720\pnhang {\pntxta .}}
{\header \pard\plain Page header\par}{\footerl \pard\plain Left footer\par}
\pard\plain \ltrpar\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\rin0\lin0\itap0 \rtlch\fcs1 \af31507\afs22\alang1025 \ltrch\fcs0 \fs22\lang1033 {\rtlch\fcs1 \af31507 \ltrch\fcs0 \insrsid1056967 Before picture }{\*\shppict{\pict{\*\picprop\shplid1025{\sp{\sn shapeType}{\sv 75}}}\picscalex100\picscaley100\pngblip\bliptag-1{\*\blipuid 0123}
89504e470d0a1a0a0000000d49484452}}{\nonshppict{\pict\picscalex100\wmetafile8\bin8 )rtf";
    doc += std::string("}{}}{{\\}", 8);  // binary picture data that looks like groups
    doc +=
        R"rtf(}}{\rtlch\fcs1 \af31507 \ltrch\fcs0  after.}{\rtlch\fcs1 \f40 \ltrch\fcs0 \f40\insrsid1056967 \u8805\'9e}{\rtlch\fcs1 \ltrch\fcs0 \par }
\trowd \irow0\irowband0\ltrrow\ts11\trgaph108\trleft-108\cellx4680\cellx9360\pard\plain \intbl {A1\cell B1\cell }\pard\plain \intbl {\trowd \cellx4680\cellx9360\row }
\pard\plain {\rtlch\fcs1 \ltrch\fcs0 End\par }{\*\themedata 504b030414}{\*\datastore 0105000002000000}})rtf";
    expectText(doc, "Before picture  after.\x9E\r\nA1\r\nB1\r\nEnd\r\n", 0);
}
