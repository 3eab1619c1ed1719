// ESLint for the page (web/), its test (tests/web/), the page's benchmark
// (bench/*.mjs) and screenshot script (tools/*.mjs); run from tests/web,
// where ESLint is installed from the lockfile: npm run lint.
import { createRequire } from 'node:module';

const require = createRequire(new URL('tests/web/package.json', import.meta.url));
const js = require('@eslint/js');
const globals = require('globals');

export default [
  js.configs.recommended,
  {
    files: ['web/**/*.js'],
    languageOptions: { sourceType: 'module', globals: globals.browser },
  },
  {
    files: ['web/sw.js'],
    languageOptions: { sourceType: 'script', globals: globals.serviceworker },
  },
  {
    files: ['web/offline.js'],
    languageOptions: { sourceType: 'script' },
  },
  {
    files: ['tests/web/**/*.mjs', 'bench/*.mjs', 'tools/*.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
  { ignores: ['build/**', '**/node_modules/**'] },
];
