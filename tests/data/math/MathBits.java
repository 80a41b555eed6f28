// Prints, for thousands of arguments per function, the raw bits of StrictMath.f and Math.f:
// "f x [y] strict math" in hexadecimal. jdk17.txt holds 300 cases per function of its output.
// Run: javac MathBits.java && java MathBits > all.txt
import java.util.*;
import java.util.function.*;

// Prints, per function and argument, the raw bits of Math.f and StrictMath.f.
public class MathBits {
    static Random rnd = new Random(23);
    static String h(double d) { return String.format("%016x", Double.doubleToRawLongBits(d)); }

    static List<Double> specials() {
        double[] s = {0.0, -0.0, Double.NaN, Double.POSITIVE_INFINITY, Double.NEGATIVE_INFINITY,
            Double.MIN_VALUE, -Double.MIN_VALUE, Double.MIN_NORMAL, -Double.MIN_NORMAL, Double.MAX_VALUE,
            -Double.MAX_VALUE, 1.0, -1.0, 0.5, -0.5, 2.0, 3.0, 8.0, 27.0, 10.0, 100.0, 1000.0, 1e-300, 1e300,
            0x1p-28, 0x1p-27, 0x1p-26, 0x1p-1022, 0x1p-1074, 1e-8, 1e-5, 0.1, 0.25, 0.75, 0.9, 0.99,
            1.5, 22.0, 709.78, 710.0, -745.0, -746.0, 709.782712893384, -708.39641853226408, 88.0,
            Math.PI, Math.PI/2, Math.PI/4, Math.E, 3*Math.PI/4, 1e9, 1e15, 1e22, 1e100, 1e200, 1e308,
            0x1p52, 0x1p53, 0x1p1023, 0x1.fffffffffffffp1023, 0x1.0p-1022, 0x0.fffffffffffffp-1022};
        List<Double> l = new ArrayList<>();
        for (double d : s) { l.add(d); l.add(-d); l.add(Math.nextUp(d)); l.add(Math.nextDown(d)); }
        return l;
    }
    static double randBits() {
        while (true) { double d = Double.longBitsToDouble(rnd.nextLong()); if (!Double.isNaN(d)) return d; }
    }
    static double logUniform(double lo, double hi) { // magnitude spread over exponents
        double e = Math.log(lo) + rnd.nextDouble() * (Math.log(hi) - Math.log(lo));
        double v = Math.exp(e);
        return rnd.nextBoolean() ? v : -v;
    }
    static List<Double> args(double lo, double hi, int n) {
        List<Double> l = specials();
        for (int i = 0; i < n; i++) l.add(lo + rnd.nextDouble() * (hi - lo));
        for (int i = 0; i < n / 2; i++) l.add(logUniform(1e-20, Math.max(Math.abs(lo), Math.abs(hi)) * 4));
        for (int i = 0; i < n / 4; i++) l.add(randBits());
        return l;
    }
    static List<Double> trigArgs() {
        List<Double> l = args(-10, 10, 3000);
        for (int i = 0; i < 1000; i++) l.add((rnd.nextDouble() - 0.5) * 2e6);
        for (int k = 1; k < 400; k++) { // near multiples of pi/4: the reduction boundaries
            double c = k * Math.PI / 4;
            l.add(c); l.add(Math.nextUp(c)); l.add(Math.nextDown(c)); l.add(-c);
        }
        double[] big = {1e6, 1e9, 1e12, 1e15, 1e18, 1e22, 1e50, 1e100, 1e200, 1e300, 0x1p19*Math.PI, 0x1p20 * Math.PI};
        for (double b : big) for (int i = 0; i < 20; i++) l.add(b * (1 + rnd.nextDouble()));
        l.add(6381956970095103.0 * 0x1p797); l.add(5319372648326077.0 * 0x1p-1); // hard reduction cases
        l.add(1.0e22); l.add(2.0 * 1.0e22);
        for (int i = 0; i < 300; i++) l.add(Math.scalb(1 + rnd.nextDouble(), rnd.nextInt(2100) - 1074));
        return l;
    }
    interface F1 { double f(double x); }
    interface F2 { double f(double x, double y); }
    static void one(String name, F1 m, F1 s, List<Double> xs) {
        for (double x : xs) System.out.println(name + " " + h(x) + " " + h(s.f(x)) + " " + h(m.f(x)));
    }
    static void two(String name, F2 m, F2 s, List<double[]> xs) {
        for (double[] p : xs) System.out.println(name + " " + h(p[0]) + " " + h(p[1]) + " " + h(s.f(p[0], p[1])) + " " + h(m.f(p[0], p[1])));
    }
    public static void main(String[] a) {
        one("sqrt", Math::sqrt, StrictMath::sqrt, args(0, 1000, 3000));
        one("cbrt", Math::cbrt, StrictMath::cbrt, args(-1000, 1000, 3000));
        one("sin", Math::sin, StrictMath::sin, trigArgs());
        one("cos", Math::cos, StrictMath::cos, trigArgs());
        one("tan", Math::tan, StrictMath::tan, trigArgs());
        one("asin", Math::asin, StrictMath::asin, args(-1, 1, 3000));
        one("acos", Math::acos, StrictMath::acos, args(-1, 1, 3000));
        one("atan", Math::atan, StrictMath::atan, args(-10, 10, 3000));
        one("sinh", Math::sinh, StrictMath::sinh, args(-30, 30, 3000));
        one("cosh", Math::cosh, StrictMath::cosh, args(-30, 30, 3000));
        one("tanh", Math::tanh, StrictMath::tanh, args(-25, 25, 3000));
        one("exp", Math::exp, StrictMath::exp, args(-750, 750, 3000));
        one("expm1", Math::expm1, StrictMath::expm1, args(-40, 710, 3000));
        one("log", Math::log, StrictMath::log, args(0, 1000, 3000));
        one("log10", Math::log10, StrictMath::log10, args(0, 1000, 3000));
        one("log1p", Math::log1p, StrictMath::log1p, args(-1, 1000, 3000));
        List<double[]> pairs = new ArrayList<>();
        List<Double> sp = specials();
        for (int i = 0; i < 1500; i++) pairs.add(new double[]{sp.get(rnd.nextInt(sp.size())), sp.get(rnd.nextInt(sp.size()))});
        for (int i = 0; i < 3000; i++) pairs.add(new double[]{(rnd.nextDouble() - 0.5) * 200, (rnd.nextDouble() - 0.5) * 200});
        for (int i = 0; i < 1000; i++) pairs.add(new double[]{randBits(), randBits()});
        for (int i = 0; i < 1000; i++) pairs.add(new double[]{logUniform(1e-300, 1e300), logUniform(1e-300, 1e300)});
        two("hypot", Math::hypot, StrictMath::hypot, pairs);
        two("atan2", Math::atan2, StrictMath::atan2, pairs);
        List<double[]> pp = new ArrayList<>();
        for (int i = 0; i < 1500; i++) pp.add(new double[]{sp.get(rnd.nextInt(sp.size())), sp.get(rnd.nextInt(sp.size()))});
        for (int i = 0; i < 2000; i++) pp.add(new double[]{rnd.nextDouble() * 100, (rnd.nextDouble() - 0.5) * 40});
        for (int i = 0; i < 500; i++) pp.add(new double[]{-(double) rnd.nextInt(20), (double) (rnd.nextInt(41) - 20)});
        for (int i = 0; i < 500; i++) pp.add(new double[]{(double) rnd.nextInt(20), 0.5 * (rnd.nextInt(41) - 20)});
        for (int i = 0; i < 1000; i++) pp.add(new double[]{Math.abs(logUniform(1e-300, 1e300)), (rnd.nextDouble() - 0.5) * 2});
        for (int i = 0; i < 500; i++) pp.add(new double[]{1 + (rnd.nextDouble() - 0.5) * 1e-10, logUniform(1e5, 1e20)});
        for (int i = 0; i < 500; i++) pp.add(new double[]{randBits(), randBits()});
        two("pow", Math::pow, StrictMath::pow, pp);
    }
}
