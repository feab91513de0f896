#include "helptext.h"

QStringList helpLines()
{
    return {
        QStringLiteral("第二版说明:修改了保存位图的错误,修改了程序外观"),
        QStringLiteral("下一版展望:引入自定义函数"),
        QStringLiteral("一:计算器说明"),
        QStringLiteral("用鼠标可以单击各种按钮来计算,要输入文字时单击编辑框即可"),
        QStringLiteral("输入文字后既可以单击按钮进行计算.  用键盘输入时要按TAB键进入计算状态"),
        QStringLiteral("单击'上一步'可以修改错误,当算式错误时自动进行上一步"),
        QStringLiteral("计算次序:1 () 2 ! 3 atn,sin,cos,lg,ln  4 ^  5  *,/  6 +, -共六级"),
        QStringLiteral("例如 sin1^2+cos1^2=1,lg(5!/12)=1,4*atn1=3.1415926=π"),
        QStringLiteral("键盘输入运算符号时只要单击运算符号的第一个字母,注意自然对数键入L"),
        QStringLiteral("已经进行拼写检查"),
        QStringLiteral("二:解方程说明"),
        QStringLiteral("    直接在方程输入框里输入方程,按运行开始画图,可以随时修改方程"),
        QStringLiteral("方程输入只有一个要求:符号,数据之间要加入一个空格!!!!!"),
        QStringLiteral("例如:解一元方程(X+20)^2=0,在方程一中输入( x + 20 ) ^ 2"),
        QStringLiteral("然后按'开始运行',在画出的曲线中寻找与X轴的交点,把鼠标移到此处"),
        QStringLiteral(
            "然后单击鼠标左键或右键局部放大缩小,寻找交点的精确值,坐标显示在图片框下,Y=0的X即所求"),
        QStringLiteral("解二元方程差不多,左不过求两曲线交点的坐标罢了!"),
        QStringLiteral("参数方程输入框是用来处理隐函数的,例如求椭圆与其他曲线的解"),
        QStringLiteral(
            "分别输入30 * sin x和20 * cos x后运行,你发现是一个椭圆,学过平面解析几何后不难理解"),
        QStringLiteral("此处还没有拼写检查,但不会死机"),
        QStringLiteral("三 :我将不断开发新的内容,发现错误和不方便的地方请告诉我,谢谢使用"),
        QStringLiteral("通信地址:曜石项目组 收 邮政编码:000000"),
        QStringLiteral("制作:曜石项目组 电子邮件:yaoshi@example.org"),
        QStringLiteral("版权所有 (C) 曜石项目组 2026年12月"),
    };
}
